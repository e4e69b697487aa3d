// Building, compacting and searching the collision tree.
#include "content3d/mesh/qx_axis_box_tree.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/std_math.h"

namespace Kiv {

namespace {

struct Box {
    Vector3 min{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                std::numeric_limits<float>::max()};
    Vector3 max{-std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                -std::numeric_limits<float>::max()};
    void Add(const Vector3& p) {
        min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
        max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
    }
    void Add(const Box& b) {
        Add(b.min);
        Add(b.max);
    }
};

float Axis(const Vector3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

Vector3 Add(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vector3 Scale(const Vector3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }

bool Finite(const Vector3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

}  // namespace

struct QXAxisBoxTree::BuildState {
    struct Triangle {
        uint32_t vertices[3];
        uint32_t id;
        Box box;
        float Centre(int axis) const { return (Axis(box.min, axis) + Axis(box.max, axis)) * 0.5f; }
    };
    struct WorkNode {
        Box box;
        uint32_t words[2] = {0, 0};
    };
    std::vector<Vector3> vertices;
    QXMapKDTree map;
    std::vector<Triangle> triangles;
    std::vector<uint32_t> order;  // triangle numbers, rearranged by the splits
    std::vector<WorkNode> nodes;
    std::vector<uint32_t> leafTriangles;
};

QXAxisBoxTree::QXAxisBoxTree() = default;
QXAxisBoxTree::~QXAxisBoxTree() = default;

void QXAxisBoxTree::SetExternalGeometry(const QXAxisBoxTreeExternalGeometry* geometry) {
    geometry_ = geometry;
    build_ = std::make_unique<BuildState>();
}

void QXAxisBoxTree::AddTriangle(const Vector3& p0, const Vector3& p1, const Vector3& p2, uint32_t id) {
    if (!build_) return;
    if ((id >> 16) > kMaxChunk || (id & 0xFFFF) > kMaxPosition) {
        ++rejected_;
        return;
    }
    if (build_->triangles.size() >= kMaxTriangles || build_->vertices.size() >= kMaxVertices) return;
    const Plane plane = Plane::FromPoints(p0, p1, p2);
    if (!Finite(p0) || !Finite(p1) || !Finite(p2) || !(Dot(plane.normal, plane.normal) >= 0.1f)) {
        ++rejected_;
        return;
    }
    BuildState::Triangle triangle{};
    triangle.id = id;
    const Vector3* corners[3] = {&p0, &p1, &p2};
    for (int k = 0; k < 3; ++k) {
        int32_t vertex = build_->map.Find(*corners[k]);
        if (vertex < 0) {
            vertex = static_cast<int32_t>(build_->vertices.size());
            if (static_cast<uint32_t>(vertex) >= kMaxVertices) return;
            build_->vertices.push_back(*corners[k]);
            build_->map.Insert(*corners[k], vertex);
        }
        triangle.vertices[k] = static_cast<uint32_t>(vertex);
        triangle.box.Add(*corners[k]);
    }
    build_->triangles.push_back(triangle);
}

size_t QXAxisBoxTree::GetWeldedVertexCount() const { return build_ ? build_->vertices.size() : 0; }

size_t QXAxisBoxTree::GetBuildTriangleCount() const { return build_ ? build_->triangles.size() : 0; }

bool QXAxisBoxTree::Build() {
    if (!build_ || build_->triangles.empty()) return false;
    build_->order.resize(build_->triangles.size());
    for (uint32_t i = 0; i < build_->order.size(); ++i) build_->order[i] = i;
    Split(0, build_->order.size());
    Compact();
    build_.reset();
    return true;
}

uint32_t QXAxisBoxTree::Split(size_t begin, size_t end) {
    BuildState& b = *build_;
    const auto first = b.order.begin() + static_cast<ptrdiff_t>(begin);
    const auto last = b.order.begin() + static_cast<ptrdiff_t>(end);
    Box box;
    for (auto it = first; it != last; ++it) box.Add(b.triangles[*it].box);
    if (begin == 0 && end == b.order.size()) {
        box = Box();
        for (const Vector3& v : b.vertices) box.Add(v);
    }
    const uint32_t index = static_cast<uint32_t>(b.nodes.size());
    b.nodes.push_back({box, {0, 0}});
    const size_t count = end - begin;
    if (count <= kLeafSize) {
        b.nodes[index].words[0] = ~static_cast<uint32_t>(b.leafTriangles.size());
        b.nodes[index].words[1] = static_cast<uint32_t>(count);
        b.leafTriangles.insert(b.leafTriangles.end(), first, last);
        return index;
    }
    int axes[3] = {0, 1, 2};
    std::stable_sort(axes, axes + 3, [&](int x, int y) {
        return Axis(box.max, x) - Axis(box.min, x) > Axis(box.max, y) - Axis(box.min, y);
    });
    size_t lower = count / 2;
    if (lower % 2 == 1 && (count - lower) % 2 == 1) --lower;
    int bestAxis = axes[0];
    float bestOverlap = std::numeric_limits<float>::infinity();
    for (int axis : axes) {
        std::stable_sort(first, last, [&](uint32_t x, uint32_t y) {
            return b.triangles[x].Centre(axis) < b.triangles[y].Centre(axis);
        });
        float high = -std::numeric_limits<float>::max(), low = std::numeric_limits<float>::max();
        for (size_t i = 0; i < count; ++i) {
            const Box& t = b.triangles[first[static_cast<ptrdiff_t>(i)]].box;
            if (i < lower) high = std::max(high, Axis(t.max, axis));
            else low = std::min(low, Axis(t.min, axis));
        }
        const float extent = Axis(box.max, axis) - Axis(box.min, axis);
        const float overlap = extent > 0 ? (high - low) / extent : 0.0f;
        if (overlap < bestOverlap) {
            bestOverlap = overlap;
            bestAxis = axis;
        }
    }
    std::stable_sort(first, last, [&](uint32_t x, uint32_t y) {
        return b.triangles[x].Centre(bestAxis) < b.triangles[y].Centre(bestAxis);
    });
    const uint32_t low = Split(begin, begin + lower);
    const uint32_t high = Split(begin + lower, end);
    b.nodes[index].words[0] = low;
    b.nodes[index].words[1] = high;
    return index;
}

void QXAxisBoxTree::Compact() {
    const BuildState& b = *build_;
    float centreMax = 0, halfMax = 0;
    for (const BuildState::WorkNode& node : b.nodes) {
        for (int a = 0; a < 3; ++a) {
            const float lo = Axis(node.box.min, a), hi = Axis(node.box.max, a);
            centreMax = std::max(centreMax, std::fabs((lo + hi) * 0.5f));
            halfMax = std::max(halfMax, (hi - lo) * 0.5f);
        }
    }
    const float centreScale = centreMax > 0 ? 32767.0f / centreMax : 1.0f;
    const float extentScale = halfMax > 0 ? 32767.0f / halfMax : 1.0f;
    inverseCentreScale_ = 1.0f / centreScale;
    inverseExtentScale_ = 1.0f / extentScale;
    nodes_.resize(b.nodes.size());
    for (size_t n = 0; n < b.nodes.size(); ++n) {
        const BuildState::WorkNode& work = b.nodes[n];
        Node& node = nodes_[n];
        node.words[0] = work.words[0];
        node.words[1] = work.words[1];
        for (int a = 0; a < 3; ++a) {
            const float lo = Axis(work.box.min, a), hi = Axis(work.box.max, a);
            const float c = std::clamp(std::trunc((lo + hi) * 0.5f * centreScale), -32767.0f, 32767.0f);
            node.centre[a] = static_cast<int16_t>(c);
            const float centre = node.centre[a] * inverseCentreScale_;
            const float need = std::max(centre - lo, hi - centre);
            float half = std::clamp(std::trunc(need * extentScale), 0.0f, 65535.0f);
            while (half < 65535.0f && (centre - half * inverseExtentScale_ > lo || centre + half * inverseExtentScale_ < hi)) {
                half += 1.0f;
            }
            node.half[a] = static_cast<uint16_t>(half);
        }
    }
    references_.reserve(b.leafTriangles.size() * 3);
    for (uint32_t t : b.leafTriangles) {
        const uint32_t id = b.triangles[t].id;
        const uint32_t chunk = id >> 16, number = (id & 0xFFFF) / 3;
        references_.push_back(static_cast<uint8_t>(number & 255));
        references_.push_back(static_cast<uint8_t>((chunk & 1) << 7 | (number >> 8 & 127)));
        references_.push_back(static_cast<uint8_t>(chunk >> 1));
    }
}

namespace {

// Whether the segment (midpoint m, half vector h) can touch the box (centre c, half
// extents e): no separating axis among the box axes and their cross products with h.
bool SegmentMeetsBox(const Vector3& m, const Vector3& h, const Vector3& c, const Vector3& e) {
    const Vector3 d = Sub(m, c);
    const Vector3 ah{std::fabs(h.x), std::fabs(h.y), std::fabs(h.z)};
    if (std::fabs(d.x) > e.x + ah.x || std::fabs(d.y) > e.y + ah.y || std::fabs(d.z) > e.z + ah.z) return false;
    if (std::fabs(d.y * h.z - d.z * h.y) > e.y * ah.z + e.z * ah.y) return false;
    if (std::fabs(d.z * h.x - d.x * h.z) > e.x * ah.z + e.z * ah.x) return false;
    return std::fabs(d.x * h.y - d.y * h.x) <= e.x * ah.y + e.y * ah.x;
}

// The fraction along the segment where it crosses the triangle, or a negative value.
float CrossTriangle(const std::array<Vector3, 3>& p, const Vector3& start, const Vector3& dir, Vector3& normal) {
    normal = StdMath::Normalise(Cross(Sub(p[1], p[0]), Sub(p[2], p[0])));
    const float denominator = Dot(normal, dir);
    if (denominator == 0.0f || !std::isfinite(denominator)) return -1;
    const float s = Dot(normal, Sub(p[0], start)) / denominator;
    if (!(s >= 0.0f && s <= 1.0f)) return -1;
    const Vector3 q = Add(start, Scale(dir, s));
    const float an[3] = {std::fabs(normal.x), std::fabs(normal.y), std::fabs(normal.z)};
    const int k = an[0] >= an[1] && an[0] >= an[2] ? 0 : an[1] >= an[2] ? 1 : 2;
    const float sign = Axis(normal, k);
    for (int i = 0; i < 3; ++i) {
        const Vector3& a = p[i];
        const Vector3& b = p[(i + 1) % 3];
        if (Axis(Cross(Sub(b, a), Sub(q, a)), k) * sign < 0) return -1;
    }
    return s;
}

}  // namespace

bool QXAxisBoxTree::TestLeaf(const Node& node, const Vector3& start, const Vector3& end, QXHit& hit) const {
    const uint32_t first = ~node.words[0];
    bool found = false;
    const Vector3 dir = Sub(end, start);
    for (uint32_t r = 0; r < node.words[1] && 3 * size_t{first + r} + 2 < references_.size(); ++r) {
        const uint8_t* ref = &references_[3 * size_t{first + r}];
        const uint32_t number = ref[0] | (ref[1] & 127u) << 8;
        const uint32_t chunk = (ref[1] >> 7) | uint32_t{ref[2]} << 1;
        const uint32_t id = chunk << 16 | 3 * number;
        std::array<Vector3, 3> corners;
        if (!geometry_ || !geometry_->GetTriangle(id, corners)) continue;
        Vector3 normal;
        const float s = CrossTriangle(corners, start, dir, normal);
        if (s < 0) continue;
        const float distance = s * StdMath::Length(dir);
        if (hit.distance >= 0 && distance >= hit.distance) continue;
        hit = {Add(start, Scale(dir, s)), normal, distance, static_cast<int32_t>(id), static_cast<int32_t>(chunk)};
        found = true;
    }
    return found;
}

bool QXAxisBoxTree::IntersectSegment(const Vector3& start, const Vector3& end, QXHit& hit) const {
    hit = QXHit();
    if (nodes_.empty()) return false;
    const Vector3 m = Scale(Add(start, end), 0.5f);
    const Vector3 h = Scale(Sub(end, start), 0.5f);
    bool found = false;
    std::vector<uint32_t> stack = {0};
    while (!stack.empty()) {
        const uint32_t index = stack.back();
        stack.pop_back();
        if (index >= nodes_.size()) continue;
        const Node& node = nodes_[index];
        const Vector3 c{node.centre[0] * inverseCentreScale_, node.centre[1] * inverseCentreScale_,
                        node.centre[2] * inverseCentreScale_};
        const Vector3 e{node.half[0] * inverseExtentScale_, node.half[1] * inverseExtentScale_,
                        node.half[2] * inverseExtentScale_};
        if (!SegmentMeetsBox(m, h, c, e)) continue;
        if (IsLeaf(node)) {
            found = TestLeaf(node, start, end, hit) || found;
            continue;
        }
        stack.push_back(node.words[1]);
        stack.push_back(node.words[0]);
    }
    return found;
}

}  // namespace Kiv
