// One walk over an entity and the blocks it draws in place (block references, dimension
// pictures), used by selection geometry, extents and painting alike. The walk is bounded:
// nesting deeper than kMaxBlockDepth is not opened, a block that is already being drawn
// (one that refers to itself, directly or through others) is not opened again, and one
// walk visits at most kMaxWalkLeaves entities.
#pragma once

#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

inline constexpr int kMaxBlockDepth = 16;
inline constexpr long kMaxWalkLeaves = 1'000'000;

class EntityVisitor {
  public:
    virtual ~EntityVisitor() = default;
    // A block reference or dimension at `depth` (0: the entity walked) is about to draw
    // its block with transform `inner`; false: the block is not opened.
    virtual bool Enter(const EntityBase& reference, const Affine& inner, int depth) {
        (void)reference, (void)inner, (void)depth;
        return true;
    }
    virtual void Leave() {}
    // An entity that draws itself, with the transform to drawing coordinates.
    virtual void Leaf(const EntityBase& e, const Affine& t, int depth) = 0;
    // A visible attribute of `reference` (at `depth`), with the transform of its own
    // coordinates.
    virtual void Attribute(const EntityBase& reference, const struct Attribute& a, const Affine& t,
                           int depth) {
        (void)reference, (void)a, (void)t, (void)depth;
    }
};

// Walks `e` under transform `t`; `depth` is the nesting of `e` itself.
void WalkEntity(const Drawing& d, const EntityBase& e, const Affine& t, EntityVisitor& visitor,
                int depth = 0);

}  // namespace velorin::cad::embedded
