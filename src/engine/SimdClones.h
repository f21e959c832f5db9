#pragma once
// Marks a hot loop to be built for AVX2 as well, the variant chosen at load time where the
// processor has it. AVX2 brings no fused multiply-add, so every variant rounds exactly as the
// plain build does. Not in sanitizer builds: their instrumented resolver would run before the
// sanitizer is set up.
#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define SWK_SIMD_CLONES [[gnu::target_clones("avx2", "default")]]
#else
#define SWK_SIMD_CLONES
#endif
