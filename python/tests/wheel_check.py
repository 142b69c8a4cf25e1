"""The wheel as a user gets it: a fresh venv, pip install --no-index, then
wheel_scenario.py run by the venv's Python, away from the source tree.

    python3 wheel_check.py DIST_DIR
"""
import glob
import os
import subprocess
import sys
import tempfile


def main(dist):
    wheels = glob.glob(os.path.join(dist, "qzorvex-*.whl"))
    assert len(wheels) == 1, "expected one wheel in %s, found %r" % (dist, wheels)
    with tempfile.TemporaryDirectory(prefix="qzorvex-wheel-") as tmp:
        venv = os.path.join(tmp, "venv")
        subprocess.run([sys.executable, "-m", "venv", venv], check=True)
        python = os.path.join(venv, "bin", "python")
        subprocess.run([python, "-m", "pip", "install", "--no-index", "--quiet", wheels[0]],
                       check=True)
        scenario = os.path.join(os.path.dirname(os.path.abspath(__file__)), "wheel_scenario.py")
        env = dict(os.environ)
        env.pop("PYTHONPATH", None)  # only what the venv has
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        done = subprocess.run([python, scenario, tmp], cwd=tmp, env=env)
        return done.returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
