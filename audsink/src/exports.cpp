// The library's three exports.
#include "lifetime.h"

static_assert(sizeof(ds8) == DS8_OPERATION_SLOTS * sizeof(void*), "one pointer-sized slot per operation");
static_assert(sizeof(ds8_utility) == DS8_UTILITY_SLOTS * sizeof(void*), "one pointer-sized slot per entry");

extern "C" {

uint32_t ds8_version(void) { return DS8_INTERFACE_VERSION; }

ds8* ds8_const_utl(void* user, const ds8_utility* table, size_t table_length)
{
    return audsink::createInstance(user, table, table_length);
}

ds8* ds8_const(void* user, void* (*allocate)(void* user, size_t size), void (*free)(void* user, void* block))
{
    ds8_utility table{};
    table.allocate = allocate;
    table.free = free;
    return audsink::createInstance(user, &table, 2 * sizeof(void*));
}

} // extern "C"
