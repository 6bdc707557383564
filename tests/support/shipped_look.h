#pragma once
// The look the build ships (resource packs, skins, clock faces), laid into the test's own
// device as `tkwctl install` lays it into a real one.

namespace testing_support {

// Copies the build's shipped files into "\Program Files\Tickwell Pro\" of the current
// device (data\, skins\, plugins\), the city files among them; false when the build made
// none.
bool installShippedLook();

// Copies the build's six city files into "\Program Files\Tickwell Pro\data\" of the
// current device; false when the build made none.
bool installShippedCities();

} // namespace testing_support
