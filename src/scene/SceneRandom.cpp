// CSceneRandom: the state of the scene's one generator.
#include "scene/SceneRandom.h"

std::uint32_t CSceneRandom::s_nState = 1;
