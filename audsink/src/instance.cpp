#include "instance.h"

#include "device.h"
#include "operations.h"
#include "sounds.h"
#include "stream.h"
#include "utility_table.h"

namespace audsink {

void linkSound(Instance& instance, ds8_sound* sound)
{
    sound->prev = instance.last;
    sound->next = nullptr;
    (instance.last ? instance.last->next : instance.first) = sound;
    instance.last = sound;
}

void unlinkSound(Instance& instance, ds8_sound* sound)
{
    (sound->prev ? sound->prev->next : instance.first) = sound->next;
    (sound->next ? sound->next->prev : instance.last) = sound->prev;
    sound->prev = sound->next = nullptr;
}

ds8* createInstance(void* user, const ds8_utility* table, size_t tableLength)
{
    const ds8_utility utility = completeUtilityTable(table, tableLength);
    void* block = utility.allocate(user, sizeof(Instance));
    if (!block) return nullptr;
    auto* instance = new (block) Instance();
    instance->user = user;
    instance->utility = utility;
    fillOperations(*instance);
    fillHostTable(instance->host, *instance);
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
