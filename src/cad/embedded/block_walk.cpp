#include "cad/embedded/block_walk.h"

namespace velorin::cad::embedded {

namespace {

class Walk {
  public:
    Walk(const Drawing& d, EntityVisitor& v) : d_(d), v_(v) {}

    void Entity(const EntityBase& e, const Affine& t, int depth) {
        if (++leaves_ > kMaxWalkLeaves) return;
        const EntityType& type = TypeOf(e);
        Affine placed = Placed(e, type, t);
        Expansion x;
        // With no block to draw in place (none, or a missing one) the entity draws itself.
        if (!type.expand || !type.expand(d_, e, x)) {
            v_.Leaf(e, placed, depth);
            return;
        }
        if (depth > kMaxBlockDepth) return;
        if (Opening(x.block)) {
            Affine inner = placed * x.inner;
            if (v_.Enter(e, inner, depth)) {
                open_.push_back(x.block);
                for (const auto& be : x.block->entities)
                    if (!be->erased && leaves_ <= kMaxWalkLeaves) Entity(*be, inner, depth + 1);
                open_.pop_back();
                v_.Leave();
            }
        }
        if (x.attributes)
            for (const Attribute& a : *x.attributes)
                if (!a.invisible) v_.Attribute(e, a, Placed(a, t), depth);
    }

  private:
    // False for a block that is being drawn already: it refers to itself.
    bool Opening(const Block* b) const {
        return std::find(open_.begin(), open_.end(), b) == open_.end();
    }

    const Drawing& d_;
    EntityVisitor& v_;
    std::vector<const Block*> open_;
    long leaves_ = 0;
};

}  // namespace

void WalkEntity(const Drawing& d, const EntityBase& e, const Affine& t, EntityVisitor& visitor,
                int depth) {
    Walk(d, visitor).Entity(e, t, depth);
}

}  // namespace velorin::cad::embedded
