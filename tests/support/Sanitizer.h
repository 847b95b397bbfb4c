// SPDX-License-Identifier: MIT
#pragma once
// KR_UNDER_SANITIZER is 1 in a build with AddressSanitizer or
// ThreadSanitizer, by g++ or by clang: both reserve far more address space
// than a program's own use, so a test that limits it has nothing to measure.
// g++ says so with __SANITIZE_*__, clang only through __has_feature.

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KR_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KR_UNDER_SANITIZER 1
#endif
#endif
#ifndef KR_UNDER_SANITIZER
#define KR_UNDER_SANITIZER 0
#endif
