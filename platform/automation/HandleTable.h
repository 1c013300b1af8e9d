#pragma once
// Handles that stand in for window and device-context handles: a number a
// late-bound caller can hold (hDC, hWnd) for an object of this process.
#include <cstdint>
#include <string_view>

namespace nv {

enum class HandleKind : uint8_t { DeviceContext = 1, Widget = 2 };

// One table per process. Handles are positive, never reused while the
// process runs, and 0 is no handle.
int32_t AddHandle(HandleKind kind, void* object);
// The object of a handle of that kind, or nullptr.
void* LookUpHandle(HandleKind kind, int32_t handle);
// A handle whose object comes later (RebindHandle); until then, and
// whenever it is rebound to nullptr, look-ups give nullptr.
int32_t ReserveHandle(HandleKind kind);
void RebindHandle(int32_t handle, void* object);
// Forgets a handle; later look-ups give nullptr.
void RemoveHandle(int32_t handle);

} // namespace nv
