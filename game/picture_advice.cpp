// The words of the picture advice, each built from the game's rules.
#include "picture_advice.h"

#include "rules.h"

namespace orvanel {

namespace {

std::string screenSize()
{
    return std::to_string(screenWidth) + " x " + std::to_string(screenHeight);
}

} // namespace

std::string exportCommand(const std::string& fileName)
{
    return "convert " + fileName + " -background white -alpha remove -type TrueColor BMP3:" + fileName;
}

std::string fixFor(const PictureLoad& load, const std::string& fileName)
{
    if (load.status == PictureStatus::loaded)
        return {};
    switch (load.fix) {
    case PictureFix::none: break;
    case PictureFix::saveAs24Bit: return "save it as a 24-bit BMP: " + exportCommand(fileName);
    case PictureFix::saveAgainWhole: return "the file is cut short: copy or export it again in full";
    case PictureFix::putAFileThere: return "put a " + screenSize() + " BMP picture there under that name";
    }
    return {};
}

std::string sizeEffect(const PictureLoad& load, bool isMask)
{
    if (load.status != PictureStatus::loaded || (load.width == screenWidth && load.height == screenHeight))
        return {};
    const char* missing = isMask ? "no target can be hit" : "magenta shows";
    std::string effect;
    const auto add = [&effect](const std::string& part) { effect += (effect.empty() ? "" : "; ") + part; };
    if (load.width < screenWidth && load.height < screenHeight)
        add(std::string(missing) + " right of x " + std::to_string(load.width - 1) + " and below y " +
            std::to_string(load.height - 1));
    else if (load.width < screenWidth)
        add(std::string(missing) + " right of x " + std::to_string(load.width - 1));
    else if (load.height < screenHeight)
        add(std::string(missing) + " below y " + std::to_string(load.height - 1));
    if (load.width > screenWidth || load.height > screenHeight)
        add("only its top-left " + std::to_string(std::min<std::int64_t>(load.width, screenWidth)) + " x " +
            std::to_string(std::min<std::int64_t>(load.height, screenHeight)) + " is used, the rest is cut off");
    return effect;
}

std::string startupLine(const std::string& fileName, bool isMask, const std::string& folder, const PictureLoad& load)
{
    std::string line = "Orvanel: " + fileName + ": ";
    if (load.status == PictureStatus::loaded) {
        const std::string effect = sizeEffect(load, isMask);
        if (effect.empty())
            return {};
        return line + std::to_string(load.width) + " x " + std::to_string(load.height) + ", not " + screenSize() +
               " (save it at " + screenSize() + "; in folder " + folder + "); " + effect;
    }
    line += inWords(load.status);
    line += " (";
    if (!load.cause.empty())
        line += load.cause + "; ";
    if (const std::string fix = fixFor(load, fileName); !fix.empty())
        line += fix + "; ";
    line += "in folder " + folder + "); ";
    const bool partly = load.status == PictureStatus::endsTooEarly;
    if (isMask)
        return line + (partly ? "no target can be hit where it is missing" : "no target can be hit");
    return line + (partly ? "the scene shows magenta where it is missing" : "the scene shows magenta");
}

std::string nearBlackAdvice(const std::string& fileName)
{
    return "only exact opaque black (0xFF000000: red, green and blue 0, alpha 255) scores; make every pixel pure "
           "black or white: convert " +
           fileName + " -background white -alpha remove -threshold 50% -monochrome " + fileName;
}

} // namespace orvanel
