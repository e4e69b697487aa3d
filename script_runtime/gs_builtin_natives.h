// The 15 built-in natives of "GSObject", "GameObject" and "Router", registered by
// GSMachine::Init in their fixed order, each with its binding kind: a plain function, a
// member of GSGameObject, or a member of the script context.
#pragma once

class GSMachine;

void RegisterGSBuiltinNatives(GSMachine& machine);
