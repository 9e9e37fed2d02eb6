// The title panel: two textured triangles, 4 x 4 units at z = -3, with face normals.
#pragma once

struct PanelVertex {
  float x, y, z;
  float s, t;
};

struct PanelTriangle {
  PanelVertex p, q, r;
  float normal[3];
};

void DrawTitlePanel();
void DrawPanelTriangle(PanelTriangle triangle);
void ComputeFaceNormal(const float* p, const float* q, const float* r, float* normal);
void NormalizeVector(float* v);
