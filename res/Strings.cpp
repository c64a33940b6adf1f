#include "res/Strings.h"

#include "res/resource.h"

namespace tern::res {

std::string LoadString(int id) {
    switch (id) {
        case IDS_ABOUTBOX:
            return "About...";
        case IDS_APP_TITLE:
            return "Tern Update Program";
        default:
            return {};
    }
}

}  // namespace tern::res
