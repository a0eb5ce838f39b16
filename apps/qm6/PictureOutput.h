#pragma once

// How the tool's commands hand out a picture member: a line that says what
// the picture is, and, when asked, the picture's pixels in a PNG file. A
// member that answers no picture prints "(none)" and writes no file.

#include "Console.h"

#include "platform/pictures/Picture.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qm6::tool {

// "bitmap 176 x 80" or "icon 32 x 32"; "(none)" for no picture.
std::string DescribePicture(const pictures::PicturePtr& picture);

// Prints the description; with a PNG path and a picture, writes the file and
// names it ("bitmap 176 x 80 written to FILE"). Answers the exit code: 1
// when the file cannot be written.
int OutputPicture(const pictures::PicturePtr& picture, const std::optional<std::string>& pngPath,
                  const Console& console);

// Takes "--png FILE" out of the arguments. False (with an error reported)
// when the option has no file or is given twice.
bool TakePngOption(std::vector<std::string>& args, std::optional<std::string>& pngPath,
                   const Console& console);

} // namespace qm6::tool
