#include "t4_tree_decoder.h"

#include "t4_tables.h"

namespace corvane::faximage {
namespace {

constexpr int kMaxDepth = t4::kMaxCodeLength;

// path holds the bits from the root, first bit most significant.
constexpr int AddNode(DecodeTree& tree, int& used, const t4::ColourCodes& codes, int path,
                      int depth) {
    const int index = used++;
    const auto matches = [&](t4::Code code) { return code.length == depth && code.value == path; };
    for (int run = 0; run < t4::kTerminatingCount; ++run)
        if (matches(codes.terminating[run])) {
            tree[index] = {kDecodeTreeRunLeaf, static_cast<std::int16_t>(run)};
            return index;
        }
    for (int i = 0; i < t4::kMakeUpCount; ++i)
        if (matches(codes.makeUp[i])) {
            tree[index] = {kDecodeTreeRunLeaf, static_cast<std::int16_t>((i + 1) * 64)};
            return index;
        }
    if (matches(t4::kEol)) {
        tree[index] = {kDecodeTreeEolLeaf, 0};
        return index;
    }
    if (depth < kMaxDepth) {
        const int zero = AddNode(tree, used, codes, path << 1, depth + 1);
        const int one = AddNode(tree, used, codes, path << 1 | 1, depth + 1);
        tree[index] = {static_cast<std::int16_t>(zero), static_cast<std::int16_t>(one)};
    }
    return index;
}

constexpr DecodeTree BuildTree(const t4::ColourCodes& codes, int& used) {
    DecodeTree tree{};
    used = 0;
    AddNode(tree, used, codes, 0, 0);
    tree[kDecodeTreeFillNode].first = kDecodeTreeFillNode;
    return tree;
}

constexpr DecodeTrees BuildTrees() {
    DecodeTrees trees;
    int whiteUsed = 0;
    int blackUsed = 0;
    trees.white = BuildTree(t4::kWhiteCodes, whiteUsed);
    trees.black = BuildTree(t4::kBlackCodes, blackUsed);
    trees.usedNodes = whiteUsed == blackUsed ? whiteUsed : -1;
    return trees;
}

constexpr DecodeTrees kTrees = BuildTrees();
static_assert(kTrees.usedNodes == 269, "each code tree fills nodes 0..268");

}  // namespace

DecodeTrees BuildDecodeTrees() {
    return kTrees;
}

T4TreeDecoder::T4TreeDecoder(LineHandler handler)
    : T4AssemblingDecoder(std::move(handler)), trees_(BuildDecodeTrees()) {}

void T4TreeDecoder::StartPage() {
    line_.StartPage();
    node_ = 0;
    bad_ = false;
}

void T4TreeDecoder::DecodeByte(std::uint8_t byte) {
    for (int bit = 0; bit < 8; ++bit) {
        const DecodeTree& tree = line_.white() ? trees_.white : trees_.black;
        if (byte >> bit & 1) {
            // After a dead end, 1 bits are skipped until a 0 starts a new code.
            if (!bad_)
                node_ = tree[node_].second;
        } else {
            bad_ = false;
            node_ = tree[node_].first;
        }
        const DecodeTreeNode reached = tree[node_];
        if (reached.first == kDecodeTreeEolLeaf) {
            line_.EndOfLine();
            node_ = 0;
        } else if (reached.first == kDecodeTreeRunLeaf) {
            line_.Run(reached.second);
            node_ = 0;
        } else if (reached.first == 0 && node_ != 0) {
            line_.BadCode();
            bad_ = true;
            node_ = 0;
        }
    }
}

}  // namespace corvane::faximage
