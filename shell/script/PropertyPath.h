#pragma once
// Reading and writing a published property by a path of names through the class table, in
// the text notations of the headless tool: floats as the shortest text that reads back to the
// same value, colours as #AARRGGBB, Booleans and enumerations by name, strings in double
// quotes, references and events by name or nil, positions as (X, Y, Z). Values are written as
// a form writes them too: strings in single quotes ('it''s'), colours by name or xAARRGGBB.
#include <string>

class TComponent;
class TObject;
struct TPropInfo;

// The object and property a path names: "Cylinder2.Position.X" from Root.
struct TPropertyTarget {
  TObject* Instance = nullptr;
  const TPropInfo* Prop = nullptr;
};

// Resolves Path: the first name is a component of Root (or Root itself), the rest a dotted
// property path. Raises Exception with a message naming what was not found.
TPropertyTarget ResolvePropertyPath(TComponent* Root, const std::string& Path);
// The named component, or Root when the name is Root's own.
TComponent* FindNamedComponent(TComponent* Root, const std::string& Name);

std::string FormatPropertyValue(TComponent* Root, const TPropertyTarget& Target);
void ParsePropertyValue(TComponent* Root, const TPropertyTarget& Target, const std::string& Text);

// The shortest decimal text that reads back to the same single.
std::string FormatSingle(float Value);
