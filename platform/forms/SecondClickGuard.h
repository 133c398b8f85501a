#pragma once
// The second click of a double-click belongs to the window the first click
// was in. When the first click closed, moved or opened a window, the second
// lands on whatever stands under the mouse now (the Delete of the card that
// was beneath the deleted one): that click is dropped, whole, before any
// control sees it.

namespace vb {

// Installed once for the application; the forms runtime does it when its
// first window is made.
void installSecondClickGuard();

} // namespace vb
