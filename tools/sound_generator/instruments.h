#pragma once
// The suite's shipped sounds as recipes. Each renders its signal from nothing at
// kSampleRateHz by additive synthesis: sine partials under exponential decays and ADSR
// envelopes, played in short patterns. Rendering uses only the basic operations of
// floating-point arithmetic (with floor and ldexp, which are exact), so every compiler and
// C library produces the same samples, bit for bit, and so the same files.

#include <span>
#include <vector>

namespace sound_generator {

struct SoundRecipe {
    const char* fileName; // "Alarm1.wav"
    const char* description; // a few words for people choosing a sound
    std::vector<double> (*render)(); // unscaled: masterForShipping() levels it
};

std::span<const SoundRecipe> shippedSounds();

} // namespace sound_generator
