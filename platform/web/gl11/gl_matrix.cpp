// The matrix stacks (model-view, projection, texture) and the calls that multiply onto them, gluPerspective
// among them. Every product is taken in single precision on the right, as GL does.
#include <cmath>

#include "platform/web/gl11/gl_context.h"

using gl11::Apply;
using gl11::Context;
using gl11::Matrix;

namespace {

// GL allows 32 model-view and 2 projection and texture matrices on the stacks.
constexpr size_t kStackDepth[3] = {32, 2, 2};

// The matrix the calls work on: the top of the current mode's stack.
Matrix& Top(Context* c) { return c->stacks[c->matrix_mode].back(); }

// The identity matrix.
Matrix Identity() { return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}; }

// top = top * right, both column-major.
void MultiplyTop(Context* c, const Matrix& right) {
  Matrix& top = Top(c);
  Matrix product;
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += top.m[k * 4 + row] * right.m[column * 4 + k];
      product.m[column * 4 + row] = sum;
    }
  }
  top = product;
}

// Multiplies the current matrix by right, now or when the list being compiled runs.
void Multiply(const Matrix& right) {
  Apply([right](Context* c) { MultiplyTop(c, right); });
}

}  // namespace

extern "C" {

void glMatrixMode(GLenum mode) {
  int index = mode == GL_MODELVIEW ? 0 : mode == GL_PROJECTION ? 1 : mode == GL_TEXTURE ? 2 : -1;
  Context* c = gl11::Current();
  if (!c) return;
  if (index < 0) return gl11::SetError(c, GL_INVALID_ENUM);
  Apply([index](Context* c) { c->matrix_mode = index; });
}

void glLoadIdentity() {
  Apply([](Context* c) { Top(c) = Identity(); });
}

void glLoadMatrixf(const GLfloat* m) {
  Matrix loaded;
  for (int i = 0; i < 16; ++i) loaded.m[i] = m[i];
  Apply([loaded](Context* c) { Top(c) = loaded; });
}

void glMultMatrixf(const GLfloat* m) {
  Matrix right;
  for (int i = 0; i < 16; ++i) right.m[i] = m[i];
  Multiply(right);
}

void glMultMatrixd(const GLdouble* m) {
  Matrix right;
  for (int i = 0; i < 16; ++i) right.m[i] = static_cast<float>(m[i]);
  Multiply(right);
}

void glPushMatrix() {
  Apply([](Context* c) {
    auto& stack = c->stacks[c->matrix_mode];
    if (stack.size() >= kStackDepth[c->matrix_mode]) return gl11::SetError(c, GL_STACK_OVERFLOW);
    stack.push_back(stack.back());
  });
}

void glPopMatrix() {
  Apply([](Context* c) {
    auto& stack = c->stacks[c->matrix_mode];
    if (stack.size() <= 1) return gl11::SetError(c, GL_STACK_UNDERFLOW);
    stack.pop_back();
  });
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  Matrix right = Identity();
  right.m[12] = x;
  right.m[13] = y;
  right.m[14] = z;
  Multiply(right);
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
  Matrix right = Identity();
  right.m[0] = x;
  right.m[5] = y;
  right.m[10] = z;
  Multiply(right);
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  double length = std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y + static_cast<double>(z) * z);
  if (length == 0) return;
  double radians = static_cast<double>(angle) * M_PI / 180.0;
  float s = static_cast<float>(std::sin(radians));
  float c = static_cast<float>(std::cos(radians));
  float ux = static_cast<float>(x / length), uy = static_cast<float>(y / length), uz = static_cast<float>(z / length);
  float t = 1 - c;
  Matrix right = Identity();
  right.m[0] = ux * ux * t + c;
  right.m[1] = uy * ux * t + uz * s;
  right.m[2] = ux * uz * t - uy * s;
  right.m[4] = ux * uy * t - uz * s;
  right.m[5] = uy * uy * t + c;
  right.m[6] = uy * uz * t + ux * s;
  right.m[8] = ux * uz * t + uy * s;
  right.m[9] = uy * uz * t - ux * s;
  right.m[10] = uz * uz * t + c;
  Multiply(right);
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near_plane, GLdouble far_plane) {
  GLdouble m[16] = {2 / (right - left), 0, 0, 0, 0, 2 / (top - bottom), 0, 0, 0, 0, -2 / (far_plane - near_plane), 0,
                    -(right + left) / (right - left), -(top + bottom) / (top - bottom),
                    -(far_plane + near_plane) / (far_plane - near_plane), 1};
  glMultMatrixd(m);
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble near_plane, GLdouble far_plane) {
  double radians = fovy / 2 * M_PI / 180;
  double depth = far_plane - near_plane;
  double sine = std::sin(radians);
  // GLU does nothing for a flat or degenerate frustum.
  if (depth == 0 || sine == 0 || aspect == 0) return;
  double cotangent = std::cos(radians) / sine;
  GLdouble m[16] = {cotangent / aspect, 0, 0, 0, 0, cotangent, 0, 0, 0, 0, -(far_plane + near_plane) / depth, -1,
                    0, 0, -2 * near_plane * far_plane / depth, 0};
  glMultMatrixd(m);
}

}  // extern "C"
