// The MS3D reader. (Placeholder until the reader lands.)
#include "model/model.h"

bool Ms3dModel::LoadFromFile(const char*) { return false; }
