// Module "DirectX9": the Direct3D 9 renderer, compiled into the program and registered with
// the module manager when the engine starts ("Initialize" and "Shutdown" do nothing; the
// renderer owns everything it makes).
#include "engine/modules/StaticModuleRegistration.h"
#include "modules/directx9/D3D9Renderer.h"

ZEN_REGISTER_RENDERER_MODULE(zen::kStartupModuleDirectX9, "DirectX9", &zen::D3D9Renderer::Create);
