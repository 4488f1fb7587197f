// The serial primitives of the platform the program was built for.
#pragma once

#include <memory>

#include "serial/ComApi.h"

std::unique_ptr<ComApi> CreatePlatformComApi();
