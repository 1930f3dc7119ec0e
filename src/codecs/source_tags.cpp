#include "codecs/source_tags.h"

namespace disctrove {

CarriedTags ReadSourceTags(const ConvertSource&) {
    return {};
}

}  // namespace disctrove
