#include <kalo_qli/entry_points.h>

#include "kalom_cpi.hpp"

namespace {

const kalo_qli_fcn_table kFunctionTable = {"", KALO_QLI_BUILD_NUMBER1, KALO_QLI_BUILD_NUMBER2, 0};

}  // namespace

extern "C" {

void QLInitialize_kalo_qli(void) { qcos::registerPackage(new kalo_toolkit_qli::KalomCPI()); }

void QLTerminate_kalo_qli(void) {}

const kalo_qli_fcn_table* QueryQLFcnTable_kalo_qli(void) { return &kFunctionTable; }

}  // extern "C"
