#pragma once
// The list of classes registered for streams (RegisterClass), for what goes through them all.
#include <vector>

class TMetaClass;

// Every registered class, by name.
std::vector<const TMetaClass*> RegisteredClasses();
