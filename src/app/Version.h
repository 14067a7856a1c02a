#pragma once

// The program's version: the one place it is written. The version resource is built from it.
#define TILEBAY_VERSION_MAJOR 1
#define TILEBAY_VERSION_MINOR 0
#define TILEBAY_VERSION_RELEASE 0
#define TILEBAY_VERSION_BUILD 17
#define TILEBAY_VERSION_TEXT "1.0.0.17"
