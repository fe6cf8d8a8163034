#pragma once
// The OpenGL and EGL declarations, for the GL back end's own .cpp files only. GL entry points
// come from libglvnd's libOpenGL, which exports the whole core API and dispatches to the
// context made current through EGL, so no loader of our own is needed.
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/glcorearb.h>

#include <EGL/egl.h>
#include <EGL/eglext.h>
