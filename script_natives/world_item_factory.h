// WorldItemFactory: makes world items of one type code from a stream, when a world-list
// stream names an item the list does not hold yet. A factory registers itself in the
// process-wide registry when it is made and leaves it when it is destroyed; the first
// registered factory of a type code wins.
#pragma once

#include <cstdint>

#include "engine/pstring.h"

class TStream;
class WorldFactoryItem;

class WorldItemFactory {
  public:
    WorldItemFactory(int32_t typeCode, const char* name);
    WorldItemFactory(const WorldItemFactory&) = delete;
    WorldItemFactory& operator=(const WorldItemFactory&) = delete;
    virtual ~WorldItemFactory();

    // A new item read from the stream, or null.
    virtual WorldFactoryItem* Create(void* owner, TStream& stream) = 0;

    // The item made by the first registered factory of the type code, or null when none.
    static WorldFactoryItem* Create(int32_t typeCode, void* owner, TStream& stream);
    // Unregisters and deletes a factory.
    static void Destroy(WorldItemFactory* factory);

    int32_t GetTypeCode() const { return typeCode_; }
    const Kiv::PString& GetName() const { return name_; }

  private:
    int32_t typeCode_;
    Kiv::PString name_;
};
