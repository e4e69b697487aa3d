// ACSFile: a loaded soup file that hands out the soup it holds. It is counted like the soup
// nodes, so the nodes that look into it keep it alive; TDBBinaryFile is the one kind.
#pragma once

#include "foundation/results/reference_count_mp.h"
#include "foundation/soup/chunk_ref.h"
#include "foundation/streams/t_stream.h"

class ACSFile : public ReferenceCountMP {
  public:
    virtual bool Read(TStream& stream) = 0;
    virtual ACSChunkRef GetRoot() = 0;
};
