// The five C entry points of the plug-in (libVelmorService.so), as the host resolves them.
//
// WideString arguments are zero-terminated UTF-16. `errorText` is a WideString passed by
// reference: the plug-in frees what it holds (velmor_wstr_free) and stores a new string allocated
// with velmor_wstr_alloc, or null for an empty text; the caller frees it. None of these throws.
// On Windows they use the standard calling convention; here the platform's C convention.
#pragma once

#include <cstdint>

namespace velmor {
class ClassRef;
}

extern "C" {
void SetAppHandle_50F165E61988(uint32_t handle);
void SetServiceFactory_50F165E61988(void* factory);
void ServicesInit_50F165E61988(const char16_t* params);
const velmor::ClassRef* GetServiceClass_50F165E61988(const char16_t* guid, char16_t** errorText);
void ServicesFinal_50F165E61988();
}

namespace velmor {
// Function-pointer types for dlsym.
using SetAppHandleFn = void (*)(uint32_t);
using SetServiceFactoryFn = void (*)(void*);
using ServicesInitFn = void (*)(const char16_t*);
using GetServiceClassFn = const ClassRef* (*)(const char16_t*, char16_t**);
using ServicesFinalFn = void (*)();
}  // namespace velmor
