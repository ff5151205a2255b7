#include "png_fixtures.h"

#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace cli_test {
namespace {

void Append(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

bool WriteAll(png_structp png, png_infop info, const RawPng& raw, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, raw.width, raw.height, raw.bit_depth, raw.colour_type,
               raw.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (std::size_t i = 0; i + 2 < raw.palette.size(); i += 3) {
    palette.push_back({raw.palette[i], raw.palette[i + 1], raw.palette[i + 2]});
  }
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!raw.palette_alpha.empty()) {
    png_set_tRNS(png, info, raw.palette_alpha.data(), static_cast<int>(raw.palette_alpha.size()),
                 nullptr);
  }
  if (raw.has_trns_colour) {
    png_color_16 colour{};
    colour.gray = raw.trns_grey;
    colour.red = raw.trns_red;
    colour.green = raw.trns_green;
    colour.blue = raw.trns_blue;
    png_set_tRNS(png, info, nullptr, 0, &colour);
  }
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const RawPng& raw) {
  std::vector<std::uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, &Append, &Flush);
  const std::size_t row_bytes = raw.rows.size() / raw.height;
  std::vector<std::uint8_t> data = raw.rows;
  std::vector<png_bytep> rows;
  for (std::uint32_t row = 0; row < raw.height; ++row)
    rows.push_back(data.data() + row * row_bytes);
  const bool written = WriteAll(png, info, raw, rows.data());
  png_destroy_write_struct(&png, &info);
  if (!written) throw std::runtime_error("test PNG could not be encoded");
  return out;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "huesieve-cli-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ScratchDir::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

ToolResult RunTool(const std::vector<std::string>& args,
                   const std::filesystem::path& working_directory) {
  const ScratchDir streams;
  // Appended piece by piece: GCC 12 misreads `"literal" + std::string` at -O3
  // as an overlapping copy (-Wrestrict).
  std::string command;
  if (!working_directory.empty()) {
    command += "cd ";
    command += Quote(working_directory.string());
    command += " && ";
  }
  command += Quote(HUESIEVE_RENDER_PATH);
  for (const std::string& arg : args) {
    command += ' ';
    command += Quote(arg);
  }
  command += " >";
  command += Quote((streams / "out").string());
  command += " 2>";
  command += Quote((streams / "err").string());
  command += " </dev/null";
  const int status = std::system(command.c_str());
  ToolResult result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadText(streams / "out");
  result.err = ReadText(streams / "err");
  return result;
}

int RunProgram(const std::string& program, const std::vector<std::string>& args) {
  std::string command = Quote(program);
  for (const std::string& arg : args) {
    command += ' ';
    command += Quote(arg);
  }
  command += " >/dev/null 2>&1 </dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace cli_test
