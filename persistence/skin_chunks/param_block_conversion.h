#pragma once
// Old skin scenes hold their switches in an old-style parameter block of one of four layouts;
// once the scene is loaded the host replaces it by a block of the current descriptor.

class ILoad;
class Tessarin;

// Registers the conversion of an old-style block at the skin's reference 0 with the loader.
void RegisterParamBlockConversion(Tessarin& skin, ILoad* iload);
