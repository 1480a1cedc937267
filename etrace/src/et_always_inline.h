#pragma once
// For a step called once per record from a loop in another function: the
// compiler is told to inline it, where its own judgement would keep a call
// that costs the cheapest formats a noticeable part of their time.
#define MH_ALWAYS_INLINE inline __attribute__((always_inline))
