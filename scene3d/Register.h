#pragma once
// Registers every 3D class that a stored form can create.
void RegisterScene3DClasses();
