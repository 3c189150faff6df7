#include "instance.h"

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

} // namespace audsink
