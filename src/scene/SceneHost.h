// CSceneHost: what the scene director needs from the window it is attached to.
#pragma once

class CSceneHost {
public:
    // The display's resolution in pixels (the scene is centred in it).
    virtual int GetScreenWidth() = 0;
    virtual int GetScreenHeight() = 0;

protected:
    ~CSceneHost() = default;
};
