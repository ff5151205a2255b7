# huesieve_add_ofx_bundle(TARGET BUNDLE_NAME NAME IDENTIFIER ID VERSION X.Y
#                         [OUTPUT_DIRECTORY DIR] [EXPORTS SYMBOL...])
#
# Lays out the MODULE library TARGET as an OpenFX bundle, as hosts look for it:
#
#   DIR/NAME.ofx.bundle/Contents/Info.plist
#   DIR/NAME.ofx.bundle/Contents/Linux-x86-64/NAME.ofx   (Linux)
#   DIR/NAME.ofx.bundle/Contents/Win64/NAME.ofx          (Windows)
#
# and exports the EXPORTS (OfxGetNumberOfPlugins and OfxGetPlugin when not
# given) and nothing else: a version script on Linux, a definition file on
# Windows, whatever the code marks for export. DIR defaults to the build's
# top folder. The bundle's folder is left in the target's
# HUESIEVE_OFX_BUNDLE_DIR property.
set(HUESIEVE_OFX_PLIST_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/ofx_Info.plist.in)

function(huesieve_add_ofx_bundle target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "BUNDLE_NAME;IDENTIFIER;VERSION;OUTPUT_DIRECTORY"
                        "EXPORTS")
  if(NOT arg_BUNDLE_NAME OR NOT arg_IDENTIFIER OR NOT arg_VERSION)
    message(FATAL_ERROR "huesieve_add_ofx_bundle: BUNDLE_NAME, IDENTIFIER and VERSION are required")
  endif()
  if(NOT arg_OUTPUT_DIRECTORY)
    set(arg_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  endif()
  if(NOT arg_EXPORTS)
    set(arg_EXPORTS OfxGetNumberOfPlugins OfxGetPlugin)
  endif()
  if(WIN32)
    set(architecture Win64)
  else()
    set(architecture Linux-x86-64)
  endif()
  set(bundle ${arg_OUTPUT_DIRECTORY}/${arg_BUNDLE_NAME}.ofx.bundle)

  set_target_properties(${target} PROPERTIES
    PREFIX ""
    OUTPUT_NAME ${arg_BUNDLE_NAME}
    SUFFIX ".ofx"
    LIBRARY_OUTPUT_DIRECTORY ${bundle}/Contents/${architecture}
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    HUESIEVE_OFX_BUNDLE_DIR ${bundle})

  set(exports_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_exports)
  if(WIN32)
    list(JOIN arg_EXPORTS "\n  " listed)
    file(WRITE ${exports_file}.def "EXPORTS\n  ${listed}\n")
    target_sources(${target} PRIVATE ${exports_file}.def)
  else()
    list(JOIN arg_EXPORTS ";\n    " listed)
    file(WRITE ${exports_file}.map "{\n  global:\n    ${listed};\n  local:\n    *;\n};\n")
    target_link_options(${target} PRIVATE
      -Wl,--version-script=${exports_file}.map -Wl,--exclude-libs,ALL)
    # Under clang's sanitizers a loadable module leaves the runtime's symbols
    # to the executable that loads it.
    if(NOT (HUESIEVE_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "Clang"))
      target_link_options(${target} PRIVATE -Wl,--no-undefined)
    endif()
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${exports_file}.map)
  endif()

  set(HUESIEVE_OFX_BUNDLE_NAME ${arg_BUNDLE_NAME})
  set(HUESIEVE_OFX_IDENTIFIER ${arg_IDENTIFIER})
  set(HUESIEVE_OFX_VERSION ${arg_VERSION})
  configure_file(${HUESIEVE_OFX_PLIST_TEMPLATE} ${bundle}/Contents/Info.plist @ONLY)
endfunction()
