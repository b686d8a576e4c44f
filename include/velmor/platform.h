// The platform layer (libvelmor_platform.so): the operating-system facilities that the plug-in
// would take from Windows, in one process-wide shared library that host and plug-in both link,
// so that both see one registry.
//
// Every function is thread-safe unless its comment says otherwise. Tests replace behaviour through
// the hooks (SetProcessMessagesHook, SetDebugOutputSink) rather than by linking a different layer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "velmor/export.h"

namespace velmor::platform {

// ---- Window classes --------------------------------------------------------------------------
// A registered window class: its name and the value of its window-procedure field (which the
// service-library class uses to point at a record of two words, see service_factory.h).
struct WindowClassInfo {
  std::string name;
  void* windowProc = nullptr;
};

// Registers an application-wide class; false when the name is taken (the first one stays).
VELMOR_API bool RegisterWindowClass(const WindowClassInfo& info);
// Removes it; false when absent.
VELMOR_API bool UnregisterWindowClass(std::string_view name);
// Looks a class up by name (compared without regard to case); false when absent.
VELMOR_API bool GetWindowClassInfo(std::string_view name, WindowClassInfo* out);

// ---- Application window handle and messages ------------------------------------------------
using WindowHandle = uint32_t;
VELMOR_API WindowHandle GetApplicationHandle();
VELMOR_API void SetApplicationHandle(WindowHandle handle);

// A window that receives messages: the handler returns the message's result.
using MessageHandler = std::function<intptr_t(uint32_t msg, uintptr_t wparam, intptr_t lparam)>;
// Registers a window under a new handle (never 0).
VELMOR_API WindowHandle RegisterWindow(const std::string& name, MessageHandler handler);
VELMOR_API void UnregisterWindow(WindowHandle handle);
// The handle of the first window registered under `name`, 0 when none.
VELMOR_API WindowHandle FindWindowByName(std::string_view name);
// Sends synchronously; 0 when the handle is unknown. The handler runs on the caller's thread.
VELMOR_API intptr_t SendMessage(WindowHandle handle, uint32_t msg, uintptr_t wparam, intptr_t lparam);

// Lets the host process its pending messages (repaint, cancel requests). A no-op until the host
// installs a hook; an empty function removes it.
VELMOR_API void SetProcessMessagesHook(std::function<void()> hook);
VELMOR_API void ProcessMessages();

// ---- Locale ----------------------------------------------------------------------------------
// The date/time and number settings of the current user, from the process locale (LC_TIME,
// LC_NUMERIC / LANG). Fields follow the classic format-settings record.
struct FormatSettings {
  char dateSeparator = '/';
  char timeSeparator = ':';
  char decimalSeparator = '.';
  char thousandSeparator = ',';
  std::string shortDateFormat = "M/d/yyyy";
  std::string longDateFormat = "dddd, MMMM d, yyyy";
  std::string shortTimeFormat = "h:mm";
  std::string longTimeFormat = "h:mm:ss";
  std::string timeAmString = "AM";
  std::string timePmString = "PM";
};
VELMOR_API FormatSettings GetUserLocaleSettings();

// ---- Files and debug output ------------------------------------------------------------------
// Copies a file; with failIfExists an existing target is left alone and false returned. Writes
// to a temporary name beside the target and renames, so a failed copy leaves no partial target.
VELMOR_API bool CopyFile(const std::string& source, const std::string& target, bool failIfExists);
// The platform's path separator ('/' here).
inline constexpr char kPathSeparator = '/';

// Debug output (OutputDebugString): to stderr when VELMOR_DEBUG_OUTPUT is set, or to the sink a
// test installs.
VELMOR_API void DebugOutput(std::string_view text);
VELMOR_API void SetDebugOutputSink(std::function<void(std::string_view)> sink);

// ---- WideStrings -----------------------------------------------------------------------------
// Length-prefixed UTF-16 strings that cross the C exports (like a BSTR). Alloc copies `length`
// units and zero-terminates; Free accepts null.
extern "C" VELMOR_API char16_t* velmor_wstr_alloc(const char16_t* text, uint32_t length);
extern "C" VELMOR_API void velmor_wstr_free(char16_t* text);
extern "C" VELMOR_API uint32_t velmor_wstr_len(const char16_t* text);

// UTF-8 <-> UTF-16 conversions (invalid sequences become U+FFFD).
VELMOR_API std::u16string Utf8ToUtf16(std::string_view text);
VELMOR_API std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace velmor::platform
