#pragma once

#include "culture/CultureManager.h"

// The language and country of the user's default locale.
CultureLocale ReadUserLocale();
