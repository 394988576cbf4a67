#pragma once
// The window's start-up still includes this; platform/folders.h holds the function.

#include "platform/folders.h"

namespace vela {

using platform::provideRuntimeDirectory;

}  // namespace vela
