"""The wheel as a new user takes it: installed offline into a fresh virtual environment
with no path variable, then a user's test that uses the kravent_module fixture.

    wheel_install_test.py WHEEL_DIR
"""

import os
import subprocess
import sys
import tempfile
from pathlib import Path

USER_TEST = '''
import kravent

def test_gain_is_kept(kravent_module):
    with kravent.Module(kravent_module.ip) as m:
        m.write(KP=2.5)
        assert m.read("KP") == {"KP": 2.5}
'''
# Nothing may point at the build tree: the wheel has to carry what it needs.
CLEARED = ("VORN_KRAVENT_LIBRARY", "LD_LIBRARY_PATH", "PYTHONPATH", "KRAVENT_SIM", "VIRTUAL_ENV")


def main() -> int:
    wheels = sorted(Path(sys.argv[1]).glob("vorn_kravent-*.whl"))
    if len(wheels) != 1:
        print(f"expected one wheel in {sys.argv[1]}, found {wheels}")
        return 1
    environment = {k: v for k, v in os.environ.items() if k not in CLEARED}
    environment["PIP_DISABLE_PIP_VERSION_CHECK"] = "1"
    with tempfile.TemporaryDirectory(prefix="kravent-wheel-") as work:
        venv = Path(work) / "venv"
        subprocess.run([sys.executable, "-m", "venv", str(venv)], check=True)
        python = str(venv / "bin" / "python")
        subprocess.run([python, "-m", "pip", "install", "-q", "--no-index", str(wheels[0])], check=True,
                       env=environment)
        (Path(work) / "test_user.py").write_text(USER_TEST)
        # pytest is not in the fresh environment and no index is reachable: Debian's is
        # appended after the environment's own packages, so kravent comes from the wheel.
        run_pytest = ("import sys; sys.path.append(sys.argv[1]); import kravent, pytest; "
                      "assert kravent.__file__.startswith(sys.prefix), kravent.__file__; "
                      "sys.exit(pytest.main(['-q', '-p', 'no:cacheprovider', 'test_user.py']))")
        result = subprocess.run([python, "-c", run_pytest, "/usr/lib/python3/dist-packages"],
                                cwd=work, env=environment, capture_output=True, text=True)
        print(result.stdout, result.stderr)
        if result.returncode != 0 or "1 passed" not in result.stdout:
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
