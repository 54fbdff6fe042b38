#pragma once
// The page settings are kept with the settings, in core.
#include "core/printsettings.h"
