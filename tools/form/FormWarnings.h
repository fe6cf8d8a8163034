#pragma once
// What kelvane-form check warns of in a form that loads: mistakes the loader lets pass because
// the form would load the same way at start-up (a missing reference is nil, an object under a
// parent that does not draw it is kept), but that leave the form other than its writer meant.
#include <string>
#include <vector>

class TComponent;

// The warnings for Form, loaded from the file Path whose text form is Text: "PATH:LINE:
// warning: MESSAGE" for
//   - a reference property stored with a name that no component of the form has (a misspelt
//     material source): it was left nil;
//   - a 3D object whose parent is not a 3D object or a 3D view, and a 2D control under a 3D
//     object other than a layer: neither is drawn there.
std::vector<std::string> FormWarnings(const std::string& Path, const std::string& Text, TComponent* Form);
