#include "views/EntityColour.h"

namespace Globals {

using platform::diagram::Rgb;

platform::diagram::Colour EntityColour(const std::string& entName, int code) {
    if (entName == "MAP") return Rgb(0, 0, 0);
    if (entName != "PROGRAM") return Rgb(255, 255, 255);
    switch (code) {
    case 1: case 2: case 3: case 4: return Rgb(0, 182, 182);       // client facing
    case 10: case 11: return Rgb(0, 123, 183);                     // transitional
    case 20: case 21: case 22: return Rgb(255, 255, 0);            // frontier
    case 23: return Rgb(255, 255, 200);                            // frontier irregular
    case 30: case 31: case 32: return Rgb(255, 128, 0);            // server
    case 33: return Rgb(255, 191, 128);                            // server irregular
    case 60: return Rgb(255, 230, 230);                            // no category
    case 90: return Rgb(200, 0, 200);                              // batch
    default: return Rgb(255, 255, 255);                            // not classified (0) and codes never given
    }
}

}  // namespace Globals
