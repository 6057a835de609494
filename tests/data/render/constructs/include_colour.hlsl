// Included by include.cfx: cyan.
static const float4 kIncludedColour = float4(0.0, 1.0, 1.0, 1.0);
