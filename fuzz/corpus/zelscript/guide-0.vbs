Sub Main

	dbg.output "[EXE]-zel.AddController('Cell1', 'Zel.Virtual', '', '@EventDisable=false')"
	Call zel.AddController("Cell1", "Zel.Virtual", "", "@EventDisable=false")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('Cell1').AddVariable('Speed', '')"
	Call zel.Controllers("Cell1").AddVariable("Speed", "")
	dbg.output "Succeeded."

	dbg.output "[PUT]-zel.Controllers('Cell1').Variables('Speed').Value = DAT.VariantFromBstr('5,12.5')"
	zel.Controllers("Cell1").Variables("Speed").Value = DAT.VariantFromBstr("5,12.5")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('Cell1').Variables('Speed').Value"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("Cell1").Variables("Speed").Value) & ">)"

End Sub
