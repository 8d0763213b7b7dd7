import sys
import kravent

with kravent.Module(sys.argv[1] if len(sys.argv) > 1 else "127.0.0.1") as m:
    print(kravent.version(), m.read("TYPE", "MODULENAME", "VOLTAGE"))
    m.write(REGULATIONMODE=1, INPUT=2000)  # position mode: drive to 2000
    for sample in m.poll(["POSITION", "SPEED"], period_ms=50, duration=1.0):
        print(f"{sample.seq:4} {sample.time:10.3f}  {sample.values}")
    m.write(INPUT=0)
