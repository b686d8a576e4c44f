// Symbol visibility. The plug-in is built with hidden visibility so that its dynamic symbol
// table holds only the module entry points; types whose identity must be shared across
// shared objects (exception classes thrown across the boundary) are marked VELMOR_API.
#pragma once

#define VELMOR_API __attribute__((visibility("default")))
