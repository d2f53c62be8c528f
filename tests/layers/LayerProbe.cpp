// A unit placed in one subsystem library by tests/layers/CMakeLists.txt: it includes one
// header and, with LAYER_PROBE_CALL, calls a function of the editor subsystem that it
// declares itself, so that only the linker can object.
#include LAYER_PROBE_HEADER

#include <cstdint>

#ifdef LAYER_PROBE_CALL
bool IsThumbnailProperty(std::uint32_t identifier);
#endif

int main()
{
#ifdef LAYER_PROBE_CALL
    return IsThumbnailProperty(0) ? 1 : 0;
#else
    return 0;
#endif
}
