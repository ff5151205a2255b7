// A lean in-memory host that drives an effect module through its command
// entry point, as the compositing host would: the module test tool
// (huesieve-module-render) renders through it, and the simulated hosts of the
// tests, the fuzzers and the loader (testing/hostsim/) are built on it.
//
// Its records have the host's full published layout. Every byte the module has
// no reason to read holds poison, and every callback a command has no business
// calling is a trap that aborts the process, so even the tool is as strict
// about a stray read or call as the tests.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "host/pf_callbacks.h"

namespace modulehost {

using EffectMainFn = PF_Err (*)(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*,
                                void*);

// "Global Setup", "Render", ...: the command as messages name it.
const char* CommandName(PF_Cmd cmd);

// The records one command is handed besides the output data, the parameters
// and the output image: poisoned, every callback slot a trap but those the
// command may call.
struct CommandRecords {
  PF_InData in_data;
  PF_UtilCallbacks utils;
  SPBasicSuite broker;
  PF_ANSICallbacksSuite1 ansi_suite;
};

// A command on its way to the module, with everything it hands over.
struct Command {
  PF_Cmd cmd;
  CommandRecords& records;
  PF_OutData& out_data;
  std::span<PF_ParamDef*> params;  // empty but for Render
  PF_LayerDef* output;                   // null but for Render
};

class Host {
 public:
  explicit Host(EffectMainFn effect_main);
  virtual ~Host() = default;
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Sends a command with no images; for the commands that use none.
  PF_Err Send(PF_Cmd cmd);
  PF_Err GlobalSetup() { return Send(PF_Cmd_GLOBAL_SETUP); }
  PF_Err About() { return Send(PF_Cmd_ABOUT); }
  // Collects the added parameters and builds the parameter array that Render
  // sends, every value at the module's default.
  PF_Err ParamsSetup();
  // Renders the image `input` describes into `output` with the current
  // parameter values. Safe to call from several threads at once on one host.
  PF_Err Render(PF_LayerDef& input, PF_LayerDef& output) const;

  // The record Render sends for the parameter in `slot`: only its value
  // member (u.bd.value, u.cd.value or u.fs_d.value) is set; every other byte
  // is poison, as nothing else of it is the module's to read.
  PF_ParamDef& param(int slot) { return params_.at(static_cast<std::size_t>(slot)); }
  // The parameter in `slot` as the module described it; slot 0 is the input
  // layer, described by the host.
  const PF_ParamDef& description(int slot) const {
    return descriptions_.at(static_cast<std::size_t>(slot));
  }
  std::size_t param_count() const { return params_.size(); }
  const std::vector<PF_ParamDef>& added_params() const { return added_params_; }

  // The host's record, poisoned until the module writes its own members.
  PF_OutData out_data;

 protected:
  // Hands `command` to the module once its records are ready. A host built on
  // this one overrides it to change the records or the callbacks first, or to
  // check them afterwards, and calls Enter to pass the command on. Called on
  // the thread that sends the command, from several at once for Render.
  virtual PF_Err Deliver(const Command& command) const { return Enter(command); }
  // Calls the module's entry point with `command`.
  PF_Err Enter(const Command& command) const;

 private:
  friend struct Callbacks;

  PF_Err Run(PF_Cmd cmd, PF_OutData& command_out, std::span<PF_ParamDef*> params,
             PF_LayerDef* output) const;

  EffectMainFn effect_main_;
  std::vector<PF_ParamDef> added_params_;
  std::vector<PF_ParamDef> descriptions_;
  std::vector<PF_ParamDef> params_;
};

}  // namespace modulehost
