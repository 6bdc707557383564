#pragma once
// The look the build ships (resource packs, skins, clock faces), laid into the test's own
// device as `tkwctl install` lays it into a real one.

namespace testing_support {

// Copies the build's shipped files into "\Program Files\Tickwell Pro\" of the current
// device (data\, skins\, plugins\); false when the build made none.
bool installShippedLook();

} // namespace testing_support
