// Two render-side objects that exist from process start. QXDebugVp is the debug viewport:
// it makes itself the process's current one, holds line buffers and a four-entry colour
// table that nothing fills, and draws nothing; its one working operation, DrawLine,
// passes a segment's two end points to the line-list operation. DisplayInterface has no
// state and no operation besides its destructor.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/matrix4.h"

class QXDebugVp {
public:
    // The function-local singleton, made at process start.
    static QXDebugVp& Instance();
    // The process's current debug viewport.
    static QXDebugVp* Current();

    virtual ~QXDebugVp();
    virtual bool IsEnabled() const { return true; }
    virtual void Begin() {}
    virtual void End() {}
    virtual void Flush() {}
    // Line list: points, with the point and line counts and a colour.
    virtual void DrawLineList(const Kiv::Vector3* points, int pointCount, int lineCount,
                              uint32_t color);
    virtual void DrawLine(const Kiv::Vector3& from, const Kiv::Vector3& to, uint32_t color);
    virtual void DrawText(const Kiv::Vector3&, const char*, uint32_t) {}
    virtual void Clear() {}

    size_t GetBufferedLineCount() const { return lines_.size(); }
    uint32_t GetTableColor(size_t i) const { return i < colors_.size() ? colors_[i] : 0; }

protected:
    QXDebugVp();

private:
    std::vector<Kiv::Vector3> lines_;
    std::array<uint32_t, 4> colors_{};
};

class DisplayInterface {
public:
    virtual ~DisplayInterface() = default;
};

extern DisplayInterface g_displayInterface;
