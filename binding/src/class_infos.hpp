#pragma once

#include <kalo_qli/kalom_cci.hpp>

// Factories of the package's class information objects, one per host class.
namespace kalo_toolkit_qli {

KalomCCI* create_zoltbasecci();
KalomCCI* create_bodyrefcci();
KalomCCI* create_framecci();
KalomCCI* create_framerefcci();
KalomCCI* create_groundcci();
KalomCCI* create_jointcci();
KalomCCI* create_primitivecci();
KalomCCI* create_zoltmodelcci();
KalomCCI* create_subsystemcci();
KalomCCI* create_subsystemrefcci();

}  // namespace kalo_toolkit_qli
