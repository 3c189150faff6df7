#include "lifetime.h"

#include "device.h"
#include "operations.h"
#include "sounds.h"
#include "stream.h"
#include "utility_table.h"

namespace audsink {

ds8* createInstance(void* user, const ds8_utility* table, size_t tableLength)
{
    const ds8_utility utility = completeUtilityTable(table, tableLength);
    void* block = utility.allocate(user, sizeof(Instance));
    if (!block) return nullptr;
    auto* instance = new (block) Instance();
    instance->user = user;
    instance->utility = utility;
    fillOperations(*instance);
    fillHostTable(instance->host, instance->utility, user);
    buildTables(instance->tables);
    return instance;
}

void destroyInstance(Instance& instance)
{
    {
        std::lock_guard list(instance.instanceLock);
        while (ds8_sound* sound = instance.first) {
            if (sound->kind == SoundKind::Stream)
                destroyStream(instance, static_cast<ds8_stream*>(sound));
            else
                freeSound(instance, sound);
        }
        closeDevice(instance);
    }
    const ds8_utility utility = instance.utility;
    void* user = instance.user;
    instance.~Instance();
    utility.free(user, &instance);
}

} // namespace audsink
