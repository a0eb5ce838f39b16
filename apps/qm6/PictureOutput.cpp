#include "PictureOutput.h"

#include <ostream>

namespace qm6::tool {

std::string DescribePicture(const pictures::PicturePtr& picture) {
    if (!picture)
        return "(none)";
    const char* kind = picture->Type() == pictures::PictureType::Icon ? "icon" : "bitmap";
    return std::string(kind) + " " + std::to_string(picture->Width()) + " x " +
           std::to_string(picture->Height());
}

int OutputPicture(const pictures::PicturePtr& picture, const std::optional<std::string>& pngPath,
                  const Console& console) {
    if (!picture || !pngPath) {
        console.out << DescribePicture(picture) << "\n";
        return 0;
    }
    if (!pictures::SavePng(*picture, *pngPath)) {
        console.Error("Cannot write the PNG file \"" + *pngPath + "\".");
        return 1;
    }
    console.out << DescribePicture(picture) << " written to " << *pngPath << "\n";
    return 0;
}

bool TakePngOption(std::vector<std::string>& args, std::optional<std::string>& pngPath,
                   const Console& console) {
    for (size_t i = 0; i < args.size();) {
        if (args[i] != "--png") {
            ++i;
            continue;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            console.Error("--png needs the name of the file to write.");
            return false;
        }
        if (pngPath) {
            console.Error("--png is given more than once.");
            return false;
        }
        pngPath = args[i + 1];
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    }
    return true;
}

} // namespace qm6::tool
