#include "codecs/taglib_tables.h"

#include <taglib/asftag.h>
#include <taglib/mp4tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>

namespace disctrove {

void FillTagLibTables() {
    // A function-local static: the first caller fills, the others wait for it.
    static const bool filled = [] {
        TagLib::ASF::Tag().setProperties(TagLib::PropertyMap());
        TagLib::MP4::Tag().setProperties(TagLib::PropertyMap());
        TagLib::ID3v2::TextIdentificationFrame::involvedPeopleMap();
        return true;
    }();
    static_cast<void>(filled);
}

}  // namespace disctrove
