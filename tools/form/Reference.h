#pragma once
// The form writer's reference, made from the class table the reader uses: the registered
// classes, each class's published properties with their types, defaults and accepted values,
// and the colour names.
#include <iosfwd>
#include <string>

// One registered class a line, by name, with its parent class.
void PrintClasses(std::ostream& Out);
// Class Name's published properties, one a line: "PATH: TYPE = DEFAULT", with "(one of ...)"
// for an enumeration, "(set of ...)" for a set, and the properties of a persistent sub-object
// under its dotted path. Raises EClassNotFound "Class %s not found" for a name not registered.
void DescribeClass(std::ostream& Out, const std::string& Name);
// The colour names with their values, one a line: "claName xAARRGGBB".
void PrintColours(std::ostream& Out);
