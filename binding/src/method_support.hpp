#pragma once

// What the files defining the package's classes and methods share.

#include <string>

#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_base.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "class_infos.hpp"
#include "kalom_cmi.hpp"
#include "kinds.hpp"
#include "method_call.hpp"

namespace kalo_toolkit_qli {

/// "[" + the values as the array number text + "]".
std::string bracketedNumbers(const double* values, size_t n);

}  // namespace kalo_toolkit_qli
