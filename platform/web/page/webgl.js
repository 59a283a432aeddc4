// The WebGL side of the game's OpenGL 1.1: one context per game window, one shader that does what the game's
// fixed pipeline does (the current colour times the texture, GL_MODULATE; GL_EXP fog by the distance from the
// eye plane, per pixel), vertex buffers and textures by number. The C++ side keeps all GL state and sends
// finished triangles (platform/web/gl11).
var GorvaneGl = {
  contexts: new Map(),
  nextId: 1,
  current: null,

  vertexShader:
    'attribute vec3 a_position; attribute vec2 a_texcoord; attribute vec4 a_colour;\n' +
    'uniform mat4 u_modelview; uniform mat4 u_projection;\n' +
    'varying vec2 v_texcoord; varying vec4 v_colour; varying float v_eye_distance;\n' +
    'void main() {\n' +
    '  vec4 eye = u_modelview * vec4(a_position, 1.0);\n' +
    '  v_eye_distance = abs(eye.z);\n' +
    '  v_texcoord = a_texcoord;\n' +
    '  v_colour = a_colour;\n' +
    '  gl_Position = u_projection * eye;\n' +
    '}\n',

  fragmentShader:
    '#ifdef GL_FRAGMENT_PRECISION_HIGH\nprecision highp float;\n#else\nprecision mediump float;\n#endif\n' +
    'uniform sampler2D u_texture; uniform bool u_texturing;\n' +
    'uniform bool u_fog; uniform float u_fog_density; uniform vec4 u_fog_colour;\n' +
    'varying vec2 v_texcoord; varying vec4 v_colour; varying float v_eye_distance;\n' +
    'void main() {\n' +
    '  vec4 colour = clamp(v_colour, 0.0, 1.0);\n' +
    '  if (u_texturing) colour *= texture2D(u_texture, v_texcoord);\n' +
    '  if (u_fog) {\n' +
    '    float f = clamp(exp(-u_fog_density * v_eye_distance), 0.0, 1.0);\n' +
    '    colour.rgb = mix(u_fog_colour.rgb, colour.rgb, f);\n' +
    '  }\n' +
    '  gl_FragColor = colour;\n' +
    '}\n',

  // A WebGL context on the canvas of a game window: WebGL 2 where the browser has it (textures of any size
  // repeat there), else WebGL 1. Returns its number, 0 when the browser gives none.
  createContext: function(pageWindow) {
    var canvas = GorvanePage.canvasOf(pageWindow);
    if (!canvas) return 0;
    // No antialiasing, no alpha: the picture is the colour buffer's pixels, as on the desktop.
    var attributes = {alpha: false, antialias: false, depth: true, stencil: false, premultipliedAlpha: false,
                      preserveDrawingBuffer: false};
    var gl = canvas.getContext('webgl2', attributes) || canvas.getContext('webgl', attributes);
    if (!gl) return 0;
    var program = this.link(gl);
    if (!program) return 0;
    var context = {
      gl: gl,
      program: program,
      uniforms: {},
      textures: new Map(),
      buffers: new Map(),
      nextBuffer: 1,
      stream: gl.createBuffer(),
    };
    ['u_modelview', 'u_projection', 'u_texture', 'u_texturing', 'u_fog', 'u_fog_density', 'u_fog_colour']
        .forEach(function(name) { context.uniforms[name] = gl.getUniformLocation(program, name); });
    gl.useProgram(program);
    gl.uniform1i(context.uniforms.u_texture, 0);
    var id = this.nextId++;
    this.contexts.set(id, context);
    return id;
  },

  link: function(gl) {
    function compile(type, source) {
      var shader = gl.createShader(type);
      gl.shaderSource(shader, source);
      gl.compileShader(shader);
      if (!gl.getShaderParameter(shader, gl.COMPILE_STATUS)) {
        console.error('gorvane: shader: ' + gl.getShaderInfoLog(shader));
        return null;
      }
      return shader;
    }
    var vertex = compile(gl.VERTEX_SHADER, this.vertexShader);
    var fragment = compile(gl.FRAGMENT_SHADER, this.fragmentShader);
    if (!vertex || !fragment) return null;
    var program = gl.createProgram();
    gl.attachShader(program, vertex);
    gl.attachShader(program, fragment);
    gl.bindAttribLocation(program, 0, 'a_position');
    gl.bindAttribLocation(program, 1, 'a_texcoord');
    gl.bindAttribLocation(program, 2, 'a_colour');
    gl.linkProgram(program);
    if (!gl.getProgramParameter(program, gl.LINK_STATUS)) {
      console.error('gorvane: shader program: ' + gl.getProgramInfoLog(program));
      return null;
    }
    return program;
  },

  deleteContext: function(id) {
    var context = this.contexts.get(id);
    if (!context) return;
    this.contexts.delete(id);
    if (this.current === context) this.current = null;
    // Let the browser free the context now rather than when it collects the canvas.
    var lose = context.gl.getExtension('WEBGL_lose_context');
    if (lose) lose.loseContext();
  },

  makeCurrent: function(id) { this.current = this.contexts.get(id) || null; },

  viewport: function(x, y, width, height) {
    if (this.current) this.current.gl.viewport(x, y, width, height);
  },

  clear: function(mask, colour, depth) {
    if (!this.current) return;
    var gl = this.current.gl;
    var c = colour >> 2;
    gl.clearColor(HEAPF32[c], HEAPF32[c + 1], HEAPF32[c + 2], HEAPF32[c + 3]);
    gl.clearDepth(depth);
    gl.clear(mask);
  },

  // Draws triangles as the C++ side describes them in a DrawState record (platform/web/gl11/webgl_bridge.h).
  draw: function(state) {
    var context = this.current;
    if (!context) return;
    var gl = context.gl, u = context.uniforms;
    var f = state >> 2;
    var colourArray = HEAP32[f + 38], texcoordArray = HEAP32[f + 39], texture = HEAP32[f + 40];
    var buffer = HEAP32[f + 49], first = HEAP32[f + 50], count = HEAP32[f + 51], vertices = HEAP32[f + 52];
    if (buffer) {
      gl.bindBuffer(gl.ARRAY_BUFFER, context.buffers.get(buffer));
    } else {
      gl.bindBuffer(gl.ARRAY_BUFFER, context.stream);
      gl.bufferData(gl.ARRAY_BUFFER, HEAPU8.subarray(vertices, vertices + count * 36), gl.STREAM_DRAW);
    }
    gl.enableVertexAttribArray(0);
    gl.vertexAttribPointer(0, 3, gl.FLOAT, false, 36, 0);
    if (texcoordArray) {
      gl.enableVertexAttribArray(1);
      gl.vertexAttribPointer(1, 2, gl.FLOAT, false, 36, 12);
    } else {
      gl.disableVertexAttribArray(1);
      gl.vertexAttrib2f(1, HEAPF32[f + 36], HEAPF32[f + 37]);
    }
    if (colourArray) {
      gl.enableVertexAttribArray(2);
      gl.vertexAttribPointer(2, 4, gl.FLOAT, false, 36, 20);
    } else {
      gl.disableVertexAttribArray(2);
      gl.vertexAttrib4f(2, HEAPF32[f + 32], HEAPF32[f + 33], HEAPF32[f + 34], HEAPF32[f + 35]);
    }
    gl.uniformMatrix4fv(u.u_modelview, false, HEAPF32.subarray(f, f + 16));
    gl.uniformMatrix4fv(u.u_projection, false, HEAPF32.subarray(f + 16, f + 32));
    gl.uniform1i(u.u_texturing, texture ? 1 : 0);
    if (texture) gl.bindTexture(gl.TEXTURE_2D, context.textures.get(texture) || null);
    gl.uniform1i(u.u_fog, HEAP32[f + 41]);
    gl.uniform1f(u.u_fog_density, HEAPF32[f + 42]);
    gl.uniform4f(u.u_fog_colour, HEAPF32[f + 43], HEAPF32[f + 44], HEAPF32[f + 45], HEAPF32[f + 46]);
    if (HEAP32[f + 47]) {
      gl.enable(gl.DEPTH_TEST);
      gl.depthFunc(HEAP32[f + 48]);
    } else {
      gl.disable(gl.DEPTH_TEST);
    }
    gl.drawArrays(gl.TRIANGLES, first, count);
  },

  createBuffer: function(vertices, count) {
    var context = this.current;
    if (!context) return 0;
    var gl = context.gl;
    var buffer = gl.createBuffer();
    if (!buffer) return 0;
    gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
    gl.bufferData(gl.ARRAY_BUFFER, HEAPU8.subarray(vertices, vertices + count * 36), gl.STATIC_DRAW);
    if (gl.getError() === gl.OUT_OF_MEMORY) {
      gl.deleteBuffer(buffer);
      return 0;
    }
    var id = context.nextBuffer++;
    context.buffers.set(id, buffer);
    return id;
  },

  deleteBuffer: function(id) {
    var context = this.current;
    if (!context || !context.buffers.has(id)) return;
    context.gl.deleteBuffer(context.buffers.get(id));
    context.buffers.delete(id);
  },

  texture: function(context, name) {
    var texture = context.textures.get(name);
    if (!texture) {
      texture = context.gl.createTexture();
      context.textures.set(name, texture);
    }
    return texture;
  },

  texImage: function(name, width, height, format, pixels, alignment) {
    var context = this.current;
    if (!context) return;
    var gl = context.gl;
    var channels = format === gl.RGBA ? 4 : 3;
    var stride = Math.ceil(width * channels / alignment) * alignment;
    var size = height > 0 ? stride * (height - 1) + width * channels : 0;
    gl.bindTexture(gl.TEXTURE_2D, this.texture(context, name));
    gl.pixelStorei(gl.UNPACK_ALIGNMENT, alignment);
    gl.texImage2D(gl.TEXTURE_2D, 0, format, width, height, 0, format, gl.UNSIGNED_BYTE,
                  HEAPU8.subarray(pixels, pixels + size));
  },

  texParameter: function(name, parameter, value) {
    var context = this.current;
    if (!context) return;
    var gl = context.gl;
    gl.bindTexture(gl.TEXTURE_2D, this.texture(context, name));
    gl.texParameteri(gl.TEXTURE_2D, parameter, value);
  },

  deleteTexture: function(name) {
    var context = this.current;
    if (!context || !context.textures.has(name)) return;
    context.gl.deleteTexture(context.textures.get(name));
    context.textures.delete(name);
  },

  readPixels: function(x, y, width, height, rgba) {
    var context = this.current;
    if (!context) return;
    var gl = context.gl;
    gl.pixelStorei(gl.PACK_ALIGNMENT, 1);
    gl.readPixels(x, y, width, height, gl.RGBA, gl.UNSIGNED_BYTE, HEAPU8.subarray(rgba, rgba + width * height * 4));
  },
};
