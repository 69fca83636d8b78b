// The one list of entity types the host models. A new type is a file of its own
// (entity_*.cpp) defining its EntityType, and one line here.
#include <array>
#include <unordered_map>

#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

extern const EntityType kLineType, kPointType, kCircleType, kArcType, kLwPolylineType,
    kPolylineType, kTextType, kMTextType, kSolidType, kTraceType, k3DFaceType, kInsertType,
    kDimensionType, kSplineType, kEllipseType, kHatchType, kOtherType;

namespace {

// The first entry of a kind is the one the host uses for entities it makes itself.
const std::array kTable{
    &kLineType,      &kArcType,    &kCircleType,  &kLwPolylineType, &kPolylineType, &kTextType,
    &kMTextType,     &kPointType,  &kInsertType,  &kSolidType,      &kTraceType,    &k3DFaceType,
    &kDimensionType, &kSplineType, &kEllipseType, &kHatchType,
};

}  // namespace

std::span<const EntityType* const> EntityTypes() { return kTable; }

const EntityType& TypeNamed(std::string_view name) {
    static const auto* const by_name = [] {
        auto* map = new std::unordered_map<std::string_view, const EntityType*>;
        for (const EntityType* t : kTable) map->emplace(t->name, t);
        return map;
    }();
    auto it = by_name->find(name);
    return it == by_name->end() ? kOtherType : *it->second;
}

const EntityType& TypeOfKind(Kind kind) {
    if (kind == Kind::Other) return kOtherType;
    for (const EntityType* t : kTable)
        if (t->kind == kind) return *t;
    return kOtherType;
}

void PathSegments(const std::vector<Point2>& pts, const Affine& t, PrimitiveSink& sink) {
    for (size_t i = 0; i + 1 < pts.size(); ++i) sink.Segment(t(pts[i]), t(pts[i + 1]));
}

void MapPoints(const Affine& t, std::vector<Point2>& pts) {
    for (Point2& p : pts) p = t(p);
}

}  // namespace velorin::cad::embedded
