"""Python threads overlap with reads, writes, conversions and exports (the
interpreter lock is released around them), and threads working at once get
the bytes a single thread gets."""
import concurrent.futures
import sys
import threading
import time

import pytest

import kaloimport as ki
from conftest import DATA, SAMPLE, make_body

MODELS = [DATA / "export" / "four_bar.xml", DATA / "export" / "nested_mast.xml", DATA / "export" / "slider.xml",
          SAMPLE]
CAD_FILES = [DATA / "export" / "four_bar.cad.xml", DATA / "export" / "nested_mast.cad.xml",
             DATA / "convert" / "slider_crank.xml"]
FORMATS = ["mjcf", "sdf", "urdf"]


def chain_model(path, count):
    """A serial chain of `count` bodies welded one to the next, written to `path`."""
    top = ki.Subsystem("Chain")
    model = ki.ZoltModel("kalo tests", "", "", "", "Chain", top)
    previous = None
    for i in range(count):
        body = make_body(f"B{i}", 1.0)
        top.addBodyRef(ki.BodyRef(f"R{i}", body))
        if previous is not None:
            top.addJoint(ki.Joint.zoltCreateWeldJoint(model, previous, body, [i, 0, 0], [i, 0, 0], "m", f"J{i}"))
        previous = body
    model.write(path)
    return model


def job(index, folder):
    """One thread's work: read, simplify and write one model, export another, convert a CAD file."""
    model = MODELS[index % len(MODELS)]
    to = FORMATS[index % len(FORMATS)]
    outputs = {}
    ki.read(model, simplify=index % 4).write(folder / f"read{index}.xml")
    outputs["read"] = (folder / f"read{index}.xml").read_bytes()
    # Mesh lines name the output's own folder, which differs from run to run.
    report = ki.export(model, folder / f"export{index}.{to}", to=to)
    outputs["report"] = [line.replace(str(folder), "<out>") for line in report]
    outputs["export"] = (folder / f"export{index}.{to}").read_bytes()
    units = ("kg", "m") if index % 2 else ("g", "mm")
    cad = CAD_FILES[index % len(CAD_FILES)]
    outputs["convert"] = ki.convert(cad, folder / f"convert{index}.xml", units=units)
    outputs["converted"] = (folder / f"convert{index}.xml").read_bytes()
    return outputs


def test_threads_at_once_give_the_bytes_of_one_thread(tmp_path):
    jobs = range(12)
    (tmp_path / "serial").mkdir()
    serial = [job(i, tmp_path / "serial") for i in jobs]
    for round_ in range(3):
        folder = tmp_path / f"parallel{round_}"
        folder.mkdir()
        with concurrent.futures.ThreadPoolExecutor(max_workers=8) as pool:
            parallel = list(pool.map(lambda i: job(i, folder), jobs))
        assert parallel == serial


class Ticker:
    """A thread that counts while it holds the interpreter lock. With a switch
    interval far longer than the test, it gets the lock only when the main
    thread gives it up itself: the count moves only during a call that releases it."""

    def __init__(self):
        self.count = 0
        self.running = True
        self.thread = threading.Thread(target=self.run, daemon=True)

    def run(self):
        while self.running:
            self.count += 1
            time.sleep(0)

    def moved_during(self, call, tries=20):
        for _ in range(tries):
            before = self.count
            call()
            if self.count != before:
                return True
        return False


@pytest.fixture
def ticker():
    interval = sys.getswitchinterval()
    ticker = Ticker()
    ticker.thread.start()
    while ticker.count == 0:
        time.sleep(0.001)
    sys.setswitchinterval(1000)
    try:
        yield ticker
    finally:
        sys.setswitchinterval(interval)
        ticker.running = False
        ticker.thread.join()


def test_other_threads_run_during_long_calls(tmp_path, ticker):
    big = tmp_path / "chain.xml"
    model = chain_model(big, 300)
    # The control: Python code that never gives the lock up leaves the count alone.
    before = ticker.count
    sum(i * i for i in range(200000))
    model.getTopSubsystem().getBodyRefCount()
    assert ticker.count == before

    assert ticker.moved_during(lambda: ki.read(big))
    assert ticker.moved_during(lambda: model.write(tmp_path / "again.xml"))
    assert ticker.moved_during(lambda: ki.export(big, tmp_path / "chain.mjcf"))
    assert ticker.moved_during(lambda: ki.convert(CAD_FILES[1], tmp_path / "mast.xml"))
    assert ticker.moved_during(lambda: ki.convert(CAD_FILES[1], tmp_path / "mast.sdf", to="sdf"))
