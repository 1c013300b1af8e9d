#include "platform/automation/HandleTable.h"

#include <mutex>
#include <unordered_map>

namespace nv {

namespace {

struct Table {
    std::mutex mutex;
    std::unordered_map<int32_t, std::pair<HandleKind, void*>> entries;
    int32_t next = 0x100;
};

Table& TheTable()
{
    static Table t;
    return t;
}

} // namespace

int32_t ReserveHandle(HandleKind kind)
{
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    int32_t h = t.next;
    t.next += 4;
    t.entries[h] = {kind, nullptr};
    return h;
}

void RebindHandle(int32_t handle, void* object)
{
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    auto it = t.entries.find(handle);
    if (it != t.entries.end()) it->second.second = object;
}

int32_t AddHandle(HandleKind kind, void* object)
{
    if (!object) return 0;
    const int32_t h = ReserveHandle(kind);
    RebindHandle(h, object);
    return h;
}

void* LookUpHandle(HandleKind kind, int32_t handle)
{
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    auto it = t.entries.find(handle);
    if (it == t.entries.end() || it->second.first != kind) return nullptr;
    return it->second.second;
}

void RemoveHandle(int32_t handle)
{
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    t.entries.erase(handle);
}

} // namespace nv
