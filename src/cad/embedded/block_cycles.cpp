#include "cad/embedded/block_cycles.h"

#include <algorithm>
#include <unordered_map>

#include "cad/embedded/entity_type.h"

namespace velorin::cad::embedded {

namespace {

// The blocks each block draws in place: its block references and dimension pictures.
std::vector<std::vector<int>> References(const Drawing& d) {
    const auto& blocks = d.blocks();
    std::unordered_map<const Block*, int> index;
    for (size_t b = 0; b < blocks.size(); ++b) index[blocks[b].get()] = static_cast<int>(b);
    std::vector<std::vector<int>> out(blocks.size());
    for (size_t b = 0; b < blocks.size(); ++b) {
        for (const auto& e : blocks[b]->entities) {
            const EntityType& type = TypeOf(*e);
            Expansion expansion;
            if (!type.expand || !type.expand(d, *e, expansion)) continue;
            auto it = index.find(expansion.block);
            if (it != index.end()) out[b].push_back(it->second);
        }
    }
    return out;
}

}  // namespace

std::vector<std::string> SelfReferringBlocks(const Drawing& d) {
    // Strongly connected components (Tarjan's algorithm, iterative so that a long chain of
    // blocks cannot exhaust the stack): a block is on a cycle when its component has more
    // than one block or it refers to itself.
    const std::vector<std::vector<int>> refs = References(d);
    const int n = static_cast<int>(refs.size());
    std::vector<int> index(static_cast<size_t>(n), -1), low(static_cast<size_t>(n), 0);
    std::vector<bool> on_stack(static_cast<size_t>(n), false),
        cyclic(static_cast<size_t>(n), false);
    std::vector<int> stack;
    int next = 0;
    for (int root = 0; root < n; ++root) {
        if (index[static_cast<size_t>(root)] >= 0) continue;
        std::vector<std::pair<int, size_t>> calls{{root, 0}};  // block, next reference
        index[static_cast<size_t>(root)] = low[static_cast<size_t>(root)] = next++;
        stack.push_back(root), on_stack[static_cast<size_t>(root)] = true;
        while (!calls.empty()) {
            auto& [v, i] = calls.back();
            const auto& out = refs[static_cast<size_t>(v)];
            if (i < out.size()) {
                int w = out[i++];
                if (index[static_cast<size_t>(w)] < 0) {
                    index[static_cast<size_t>(w)] = low[static_cast<size_t>(w)] = next++;
                    stack.push_back(w), on_stack[static_cast<size_t>(w)] = true;
                    calls.push_back({w, 0});
                } else if (on_stack[static_cast<size_t>(w)]) {
                    low[static_cast<size_t>(v)] =
                        std::min(low[static_cast<size_t>(v)], index[static_cast<size_t>(w)]);
                }
                continue;
            }
            const int done = v;
            calls.pop_back();
            if (!calls.empty())
                low[static_cast<size_t>(calls.back().first)] = std::min(
                    low[static_cast<size_t>(calls.back().first)], low[static_cast<size_t>(done)]);
            if (low[static_cast<size_t>(done)] != index[static_cast<size_t>(done)]) continue;
            std::vector<int> component;
            int w;
            do {
                w = stack.back();
                stack.pop_back();
                on_stack[static_cast<size_t>(w)] = false;
                component.push_back(w);
            } while (w != done);
            const auto& self = refs[static_cast<size_t>(done)];
            bool loop =
                component.size() > 1 || std::find(self.begin(), self.end(), done) != self.end();
            for (int c : component) cyclic[static_cast<size_t>(c)] = loop;
        }
    }
    std::vector<std::string> names;
    for (int b = 0; b < n; ++b)
        if (cyclic[static_cast<size_t>(b)])
            names.push_back(d.blocks()[static_cast<size_t>(b)]->name);
    return names;
}

std::vector<std::string> DrawingWarnings(const Drawing& d, const std::string& name) {
    std::vector<std::string> lines;
    std::vector<std::string> blocks = SelfReferringBlocks(d);
    if (blocks.empty()) return lines;
    std::string list;
    for (const std::string& b : blocks) list += (list.empty() ? "“" : "、“") + b + "”";
    lines.push_back(
        "图形“" + name + "”中的块 " + list +
        " 引用了自身（直接或经由其他块），CAD 程序不接受这样的块；它们引用自身的部分没有画出。");
    return lines;
}

}  // namespace velorin::cad::embedded
