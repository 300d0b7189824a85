#pragma once

// Symbols of kalo_step are hidden unless marked with KALO_STEP_API.
#define KALO_STEP_API __attribute__((visibility("default")))
