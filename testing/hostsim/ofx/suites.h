// The suite tables the simulated host serves. Each is built once, every slot
// a trap until the host's own function is put in it; the tables are constant
// afterwards, and every function finds the host through the handles it is
// given.
#pragma once

#include "ofx/api/ofx_image_effect.h"
#include "ofx/api/ofx_memory.h"
#include "ofx/api/ofx_message.h"
#include "ofx/api/ofx_multithread.h"
#include "ofx/api/ofx_param.h"
#include "ofx/api/ofx_property.h"

namespace hostsim::ofx {

const OfxPropertySuiteV1& PropertySuite();
const OfxImageEffectSuiteV1& ImageEffectSuite();
const OfxParameterSuiteV1& ParameterSuite();
// Served for version 1 as well: version 2 begins with version 1's function.
const OfxMessageSuiteV2& MessageSuite();
const OfxMemorySuiteV1& MemorySuite();
// Reporting `reported_cpus` processors (0: the machine's), up to
// kMostReportedCpus.
inline constexpr unsigned int kMostReportedCpus = 64;
const OfxMultiThreadSuiteV1& MultiThreadSuite(unsigned int reported_cpus);
// Whether the calling thread is one that multiThread started.
bool OnSpawnedThread();

}  // namespace hostsim::ofx
