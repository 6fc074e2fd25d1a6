#include "resource_edits.h"

namespace jlaunch::pack {

ResourceTree applyEdits(ResourceTree tree, const std::vector<ResourceEdit>& edits) {
    for (const ResourceEdit& edit : edits) {
        if (edit.data) {
            tree[edit.type][edit.name][edit.language] = ResourceData{*edit.data, 0};
            continue;
        }
        const auto type = tree.find(edit.type);
        if (type == tree.end()) {
            continue;
        }
        const auto name = type->second.find(edit.name);
        if (name == type->second.end()) {
            continue;
        }
        name->second.erase(edit.language);
        if (name->second.empty()) {
            type->second.erase(name);
        }
        if (type->second.empty()) {
            tree.erase(type);
        }
    }
    return tree;
}

}  // namespace jlaunch::pack
