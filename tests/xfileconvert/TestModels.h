// Small model files that put one behaviour of the viewers each in front of
// the converter.
#pragma once

#include <string>

namespace convert_test {

inline const char* const kIdentity = "1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,0.0,1.0;;";

// A box of 8 vertices from y = 1 to 3, its bottom on the frame Arm, its top
// on Hand (weight 0.6) and on a bone Missing that no frame has (0.2: the top's
// weights sum to 0.8). Set "Late": Arm's keys start at tick 10 (before them
// the viewers show the last keys, a rotation key at -1 among them) and turn a
// quarter about Z; Hand has matrix keys. Set "Still" animates nothing. Set
// "Twice" names Arm twice: the second animation wins.
inline std::string QuirksModel() {
  return std::string(R"(xof 0303txt 0032
AnimTicksPerSecond { 30; }
Frame Root {
  FrameTransformMatrix { )") +
         kIdentity + R"( }
  Frame Arm {
    FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,1.0,0.0,1.0;; }
    Frame Hand {
      FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,1.0,0.0,1.0;; }
    }
  }
  Mesh box {
    8;
    -0.5;1.0;-0.5;, 0.5;1.0;-0.5;, 0.5;1.0;0.5;, -0.5;1.0;0.5;,
    -0.5;3.0;-0.5;, 0.5;3.0;-0.5;, 0.5;3.0;0.5;, -0.5;3.0;0.5;;
    6;
    4;0,4,5,1;, 4;1,5,6,2;, 4;2,6,7,3;, 4;3,7,4,0;, 4;4,7,6,5;, 4;0,1,2,3;;
    XSkinMeshHeader { 2; 4; 3; }
    SkinWeights { "Arm"; 4; 0,1,2,3; 1.0,1.0,1.0,1.0;
      1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,-1.0,0.0,1.0;; }
    SkinWeights { "Hand"; 4; 4,5,6,7; 0.6,0.6,0.6,0.6;
      1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,-2.0,0.0,1.0;; }
    SkinWeights { "Missing"; 4; 4,5,6,7; 0.2,0.2,0.2,0.2; )" +
         kIdentity + R"( }
  }
}
AnimationSet Late {
  Animation {
    { Arm }
    AnimationKey { 0; 3; 10;4;1.0,0.0,0.0,0.0;;, 40;4;0.7071068,0.0,0.0,0.7071068;;, -1;4;0.9238795,0.0,0.0,0.3826834;;; }
    AnimationKey { 2; 2; 10;3;0.0,1.0,0.0;;, 40;3;0.5,1.0,0.0;;; }
  }
  Animation {
    { Hand }
    AnimationKey { 4; 2;
      0;16;1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,1.0,0.0,1.0;;,
      40;16;1.5,0.0,0.0,0.0, 0.0,0.0,1.5,0.0, 0.0,-1.5,0.0,0.0, 0.0,1.0,0.5,1.0;;; }
  }
}
AnimationSet Still { }
AnimationSet Twice {
  Animation { { Arm } AnimationKey { 2; 1; 0;3;0.0,1.0,0.0;;; } }
  Animation { { Arm } AnimationKey { 2; 2; 0;3;1.0,1.0,0.0;;, 20;3;2.0,1.0,0.0;;; } }
}
)";
}

// A square on a frame that turns half round about the axis (1, 1, 1) between
// two rotation keys: the viewers' blend shrinks it across that axis, which no
// scale along the frame's own axes can follow.
inline std::string HalfTurnModel() {
  return std::string(R"(xof 0303txt 0032
Frame Spin {
  FrameTransformMatrix { )") +
         kIdentity + R"( }
  Mesh square {
    4; -1.0;-1.0;0.0;, -1.0;1.0;0.0;, 1.0;1.0;0.0;, 1.0;-1.0;0.0;;
    1; 4;0,1,2,3;;
  }
}
AnimationSet Turn {
  Animation { { Spin } AnimationKey { 0; 2; 0;4;1.0,0.0,0.0,0.0;;, 10;4;0.0,0.5773503,0.5773503,0.5773503;;; } }
}
)";
}

// A closed cube whose faces turn clockwise seen from outside, Direct3D's
// front faces; its normals are computed by the reader (outward).
inline std::string CubeModel() {
  return R"(xof 0303txt 0032
Mesh cube {
  8;
  -1.0;-1.0;-1.0;, -1.0;1.0;-1.0;, 1.0;1.0;-1.0;, 1.0;-1.0;-1.0;,
  -1.0;-1.0;1.0;, -1.0;1.0;1.0;, 1.0;1.0;1.0;, 1.0;-1.0;1.0;;
  6;
  4;0,1,2,3;, 4;7,6,5,4;, 4;4,5,1,0;, 4;3,2,6,7;, 4;1,5,6,2;, 4;4,0,3,7;;
  MeshTextureCoords { 8; 0.0;1.0;, 0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;, 0.0;0.0;, 1.0;0.0;, 1.0;1.0;; }
}
)";
}

// Six squares, one per material: plain colours (specular power 10), a PNG
// with alpha, a TGA without, a texture that is nowhere, a black specular, and
// a DDS with alpha.
inline std::string MaterialsModel() {
  constexpr int kSquares = 6;
  std::string text = "xof 0303txt 0032\nMesh squares {\n " + std::to_string(kSquares * 4) + ";\n";
  for (int i = 0; i < kSquares; ++i) {
    const std::string x = std::to_string(i * 3) + ".0", r = std::to_string(i * 3 + 2) + ".0";
    text += " " + x + ";0.0;0.0;, " + x + ";2.0;0.0;, " + r + ";2.0;0.0;, " + r + ";0.0;0.0;" +
            (i + 1 < kSquares ? ",\n" : ";\n");
  }
  text += " " + std::to_string(kSquares) + ";\n";
  for (int i = 0; i < kSquares; ++i) {
    const int v = i * 4;
    text += " 4;" + std::to_string(v) + "," + std::to_string(v + 1) + "," + std::to_string(v + 2) + "," +
            std::to_string(v + 3) + (i + 1 < kSquares ? ";," : ";;\n");
  }
  text += " MeshTextureCoords { " + std::to_string(kSquares * 4) + ";";
  for (int i = 0; i < kSquares; ++i)
    text += " 0.0;1.0;, 0.0;0.0;, 1.0;0.0;, 1.0;1.0;" + std::string(i + 1 < kSquares ? "," : ";");
  text += " }\n MeshMaterialList { 6; 6; 0,1,2,3,4,5;\n";
  text += "  Material plain { 0.2;0.4;0.6;0.5;; 10.0; 1.0;1.0;1.0;; 0.1;0.0;0.0;; }\n";
  text +=
      "  Material cutout { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"tex\\\\leaf.png\"; } "
      "}\n";
  text += "  Material targa { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"wood.tga\"; } }\n";
  text +=
      "  Material lost { 1.0;0.0;0.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"nowhere.png\"; } }\n";
  text += "  Material matte { 0.5;0.5;0.5;1.0;; 50.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n";
  text +=
      "  Material glass { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"glass.dds\"; } }\n";
  text += " }\n}\n";
  return text;
}

// A skinned square of centimetres on a bone in a frame that scales by 0.01
// and stands 1000 units away; the bone's offset takes the square there, so
// that the viewers show it 2 units wide about the origin (its file
// coordinates are 200 wide).
inline std::string CentimetreModel() {
  return std::string(R"(xof 0303txt 0032
Frame Body {
  FrameTransformMatrix { 0.01,0.0,0.0,0.0, 0.0,0.01,0.0,0.0, 0.0,0.0,0.01,0.0, 1000.0,0.0,0.0,1.0;; }
  Frame Bone { FrameTransformMatrix { )") +
         kIdentity + R"( } }
  Mesh square {
    4; -100.0;-100.0;0.0;, -100.0;100.0;0.0;, 100.0;100.0;0.0;, 100.0;-100.0;0.0;;
    1; 4;0,1,2,3;;
    XSkinMeshHeader { 1; 1; 1; }
    SkinWeights { "Bone"; 4; 0,1,2,3; 1.0,1.0,1.0,1.0;
      1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, -100000.0,0.0,0.0,1.0;; }
  }
}
)";
}

// The same square on two bones whose frames scale differently (the second
// twice as much as the first), each offset taking its half there: its joints
// share no scale, so it is stored where the viewers show it.
inline std::string MixedUnitsModel() {
  return std::string(R"(xof 0303txt 0032
Frame Body {
  FrameTransformMatrix { 0.01,0.0,0.0,0.0, 0.0,0.01,0.0,0.0, 0.0,0.0,0.01,0.0, 1000.0,0.0,0.0,1.0;; }
  Frame Bone { FrameTransformMatrix { )") +
         kIdentity + R"( } }
  Frame Doubled { FrameTransformMatrix { 2.0,0.0,0.0,0.0, 0.0,2.0,0.0,0.0, 0.0,0.0,2.0,0.0, 0.0,0.0,0.0,1.0;; } }
  Mesh square {
    4; -100.0;-100.0;0.0;, -100.0;100.0;0.0;, 100.0;100.0;0.0;, 100.0;-100.0;0.0;;
    1; 4;0,1,2,3;;
    XSkinMeshHeader { 1; 1; 2; }
    SkinWeights { "Bone"; 2; 0,1; 1.0,1.0;
      1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, -100000.0,0.0,0.0,1.0;; }
    SkinWeights { "Doubled"; 2; 2,3; 1.0,1.0;
      0.5,0.0,0.0,0.0, 0.0,0.5,0.0,0.0, 0.0,0.0,0.5,0.0, -50000.0,0.0,0.0,1.0;; }
  }
}
)";
}

// Numbers that are not finite, as damaged or hand-edited files hold them
// (the text reader reads "nan", "inf" and overflowing numbers): in a rigid
// mesh's vertices and texture coordinates, in the matrix of its frame
// "Broken", in the offset of the bone "Lost" and in a position key of Bone.
inline std::string NonFiniteModel() {
  return std::string(R"(xof 0303txt 0032
AnimTicksPerSecond { 30; }
Frame Root {
  FrameTransformMatrix { )") +
         kIdentity + R"( }
  Frame Broken {
    FrameTransformMatrix { nan,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,inf,0.0,1.0;; }
    Mesh plate {
      4; 0.0;0.0;0.0;, nan;1.0;0.0;, 1.0;1e39;0.0;, 1.0;0.0;-inf;;
      2; 3;0,1,2;, 3;0,2,3;;
      MeshTextureCoords { 4; 0.0;0.0;, nan;0.0;, 1.0;1.0;, 1.0;0.0;; }
    }
  }
  Frame Bone {
    FrameTransformMatrix { )" +
         kIdentity + R"( }
  }
  Mesh skinned {
    3; 0.0;0.0;1.0;, 1.0;0.0;1.0;, 0.0;1.0;1.0;;
    1; 3;0,1,2;;
    XSkinMeshHeader { 1; 1; 2; }
    SkinWeights { "Bone"; 2; 0,1; 1.0,1.0; )" +
         kIdentity + R"( }
    SkinWeights { "Lost"; 1; 2; 1.0; nan,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,0.0,1.0;; }
  }
}
AnimationSet Move {
  Animation { { Bone } AnimationKey { 2; 3; 0;3;0.0,0.0,0.0;;, 10;3;nan,0.0,0.0;;, 20;3;1.0,0.0,0.0;;; } }
}
)";
}

}  // namespace convert_test
