#include "capture/capture_trace.h"

// Alone in its file: a build that notes the steps links its own definition
// instead, and this object is then never taken from the library.
void NoteCaptureStep(CaptureStep)
{
}
