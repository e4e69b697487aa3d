// Kiv::ScalableDetail: a drawable whose face count can be raised or lowered towards a
// target. It keeps the current face count; the subclass adds or removes faces in its own
// steps (RaiseDetail, LowerDetail) and reports the count it reached.
#pragma once

#include <cstdint>

namespace Kiv {

class ScalableDetail {
public:
    virtual ~ScalableDetail() = default;

    void Init(uint32_t faceTotal) { faceCount_ = faceTotal; }
    // Raises or lowers the detail towards target; the subclass decides where it stops.
    void SetDetail(uint32_t target) {
        if (target > faceCount_) RaiseDetail(target);
        else if (target < faceCount_) LowerDetail(target);
    }
    uint32_t GetCurrentFaceCount() const { return faceCount_; }

protected:
    void SetCurrentFaceCount(uint32_t faces) { faceCount_ = faces; }
    void InitInstance(const ScalableDetail& source) { faceCount_ = source.faceCount_; }
    virtual void RaiseDetail(uint32_t target) = 0;
    virtual void LowerDetail(uint32_t target) = 0;

private:
    uint32_t faceCount_ = 0;
};

}  // namespace Kiv
