/* The program's version, in one place. Read by the resource compiler for the
   VERSIONINFO block and by the C++ code, so it must stay plain C preprocessor
   text: no C++ outside the __cplusplus section. */
#pragma once

#define TARNAVEL_VERSION_MAJOR 1
#define TARNAVEL_VERSION_MINOR 0
#define TARNAVEL_VERSION_PATCH 0
#define TARNAVEL_VERSION_BUILD 0

/* The numbers are expanded before they are quoted, and the result is one
   string literal ("1.0.0.0"): rc.exe does not join adjacent literals. */
#define TARNAVEL_STRINGIFY_(x) #x
#define TARNAVEL_DOTTED3_(a, b, c) TARNAVEL_STRINGIFY_(a.b.c)
#define TARNAVEL_DOTTED4_(a, b, c, d) TARNAVEL_STRINGIFY_(a.b.c.d)

#define TARNAVEL_VERSION_STRING                                                             \
  TARNAVEL_DOTTED4_(TARNAVEL_VERSION_MAJOR, TARNAVEL_VERSION_MINOR, TARNAVEL_VERSION_PATCH, \
                    TARNAVEL_VERSION_BUILD)
#define TARNAVEL_VERSION_SHORT_STRING \
  TARNAVEL_DOTTED3_(TARNAVEL_VERSION_MAJOR, TARNAVEL_VERSION_MINOR, TARNAVEL_VERSION_PATCH)

#define TARNAVEL_PRODUCT_NAME "Tarnavel"
#define TARNAVEL_COMPANY_NAME "Kestrine"
#define TARNAVEL_FILE_DESCRIPTION "Tarnavel - brings queued windows to the front on a schedule"
#define TARNAVEL_COPYRIGHT "Copyright (C) Kestrine"
#define TARNAVEL_EXE_NAME "tarnavel.exe"

#if defined(__cplusplus) && !defined(RC_INVOKED)
#include <string_view>

namespace tarnavel::version {
inline constexpr int kMajor = TARNAVEL_VERSION_MAJOR;
inline constexpr int kMinor = TARNAVEL_VERSION_MINOR;
inline constexpr int kPatch = TARNAVEL_VERSION_PATCH;
inline constexpr int kBuild = TARNAVEL_VERSION_BUILD;
inline constexpr std::string_view kText = TARNAVEL_VERSION_STRING;
inline constexpr std::string_view kProduct = TARNAVEL_PRODUCT_NAME;
inline constexpr std::string_view kCompany = TARNAVEL_COMPANY_NAME;
}  // namespace tarnavel::version
#endif
