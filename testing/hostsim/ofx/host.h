// The simulated OpenFX host: its own property set, the OfxHost struct handed
// to every plug-in, the suites it serves through fetchSuite, and what it
// records while plug-ins run: complaints, suite requests, messages and the
// host memory out on loan. Holds no global state: several hosts, and several
// instances and renders on one host, may run at once on different threads.
#pragma once

#include <cstddef>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "ofx/api/ofx_core.h"
#include "testing/hostsim/ofx/complaints.h"
#include "testing/hostsim/ofx/property_set.h"

namespace hostsim::ofx {

struct SuiteVersion {
  std::string name;
  int version;
  bool operator==(const SuiteVersion&) const = default;
};

// Every suite the host can serve: property 1, image effect 1, parameter 1,
// message 1 and 2, memory 1, multithread 1.
std::vector<SuiteVersion> AllSuites();

struct HostConfig {
  std::vector<SuiteVersion> suites = AllSuites();
  std::vector<std::string> contexts = {};      // filter and general when empty
  std::vector<std::string> pixel_depths = {};  // byte, short and float when empty
  std::vector<std::string> components = {};    // RGBA, RGB and alpha when empty
  bool supports_tiles = true;
  // What the multithread suite's multiThreadNumCPUs reports: 0 the machine's
  // processors, otherwise that many (at most 64), as a host with more cores,
  // or one whose suite is a dummy (1), would.
  unsigned int reported_cpus = 0;

  // Habits of real hosts that a test may switch on; the strict default has
  // none of them (docs/openfx.md, "Hosts").
  // The effect descriptor lacks the properties OpenFX 1.2 added (the
  // description, version and version label): setting one is refused with
  // kOfxStatErrUnknown, as Resolve and OpenFX 1.0 and 1.1 hosts do.
  bool lacks_1_2_descriptor_properties = false;
  // Tiles are read from the instance, which says 1 until the plug-in sets it
  // at create-instance, as hosts on the OpenFX host support library do; an
  // instance that says 1 renders each frame in strips, every image cropped
  // to the strip.
  bool tiles_from_instance = false;
  // Output images carry the premultiplication the clip preferences settled
  // on, not the one the test's image was made with.
  bool output_label_from_clip_preferences = false;
  // A clip with no image at the time hands out a null image with OK, as
  // Resolve does, rather than failing the request.
  bool missing_image_as_null = false;
  // Frames are interlaced: a plug-in that leaves render-twice-always at 1 is
  // rendered field by field, each field an image of every other row; one
  // that sets 0 renders both fields at once.
  bool interlaced = false;
};

struct SuiteRequest {
  std::string name;
  int version;
  bool served;
};

struct Message {
  std::string effect;  // the label of the effect it was posted on
  std::string call;    // "message", "setPersistentMessage" or "clearPersistentMessage"
  std::string type;    // e.g. kOfxMessageError; empty for a clear
  std::string id;
  std::string text;
};

class Host {
 public:
  explicit Host(HostConfig config = {});
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;
  ~Host();

  // What a plug-in's setHost (and OfxSetHost) receives.
  OfxHost* ofx_host() { return &ofx_host_; }
  PropertySet& properties() { return properties_; }
  const HostConfig& config() const { return config_; }

  ComplaintLog& complaint_log() { return log_; }
  std::vector<Complaint> complaints() const { return log_.Entries(); }
  std::vector<SuiteRequest> suite_requests() const;
  std::vector<Message> messages() const;
  void AddMessage(Message message);
  // Forgets the suite requests and messages so far, as a host kept running
  // for a long session (the fuzzer's) must, or they grow without end.
  void ForgetRecords();

  // fetchSuite: a suite the host serves, or null.
  const void* FetchSuite(const char* name, int version);

  // Host memory (the memory suite and image memory) out on loan, so that
  // unloading can complain about what was never handed back.
  void Lend(void* block);
  // False when `block` was not on loan.
  bool TakeBack(void* block);
  std::size_t blocks_on_loan() const;

 private:
  ComplaintLog log_;
  HostConfig config_;
  PropertySet properties_;
  OfxHost ofx_host_;
  mutable std::mutex mutex_;
  std::vector<SuiteRequest> requests_;
  std::vector<Message> messages_;
  std::set<const void*> on_loan_;
};

}  // namespace hostsim::ofx
