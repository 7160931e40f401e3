# Nimbrel: `make run` and `make test` work on a fresh Debian 12 machine as root.
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
JOBS       ?= 2
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=

PACKAGES = build-essential cmake ninja-build pkg-config python3 \
           libgtest-dev libgmock-dev libbenchmark-dev libboost-dev nlohmann-json3-dev \
           qt6-base-dev libqt6opengl6-dev libxkbcommon-dev libgl-dev libgl1-mesa-dri \
           xvfb xauth clang libclang-rt-14-dev \
           libtinygltf-dev nlohmann-json3-dev
# Wanted only when the command is missing: a machine may have Node.js from elsewhere, whose
# package already holds npm and conflicts with Debian's.
COMMAND_PACKAGES = node:nodejs npm:npm

# The Khronos glTF Validator the glTF tests check every written .glb with.
GLTF_VALIDATOR = gltf-validator@2.0.0-dev.3.10

.PHONY: all deps build validator run test asan fuzz bench clean

all: build

# Installs only what is missing, so a prepared machine pays nothing.
deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done; \
	  for cp in $(COMMAND_PACKAGES); do command -v $${cp%%:*} >/dev/null || echo $${cp#*:}; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  if [ "$$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DNIMBREL_WERROR=ON -DNIMBREL_BENCH=OFF $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

validator: deps $(BUILD)/build.ninja
	@[ -f $(BUILD)/gltf-validator/node_modules/gltf-validator/package.json ] || \
	  npm install --no-audit --no-fund --prefix $(BUILD)/gltf-validator $(GLTF_VALIDATOR)

run: build
	@bash tools/run_sample.sh $(BUILD)/bin

test: build validator
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	$(MAKE) asan

# The unit and end-to-end tests once more under AddressSanitizer and UBSan.
asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DNIMBREL_SANITIZE=ON -DNIMBREL_GUI=OFF -DNIMBREL_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Benchmarks are timed in an optimised build of their own.
bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DNIMBREL_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/bin/*_bench; do echo "== $$b"; case $$b in *gui*) xvfb-run -a $$b;; *) $$b;; esac; done
	@echo "== bench/mesh_process.sh"; bash bench/mesh_process.sh $(BENCH_BUILD)/bin

fuzz: deps
	@bash fuzz/run_fuzzers.sh $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) build-fuzz
